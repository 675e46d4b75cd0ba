#ifndef COMMANDHISTORY_H
#define COMMANDHISTORY_H

#include <QStringList>

#include <optional>

// The lines last sent, for Up and Down in the console's line edit, as a
// shell keeps them: Up goes back one line at a time, Down forward, and
// Down past the newest brings back what was typed before Up.
class CommandHistory
{
public:
    static constexpr int kept = 50;

    // A line just sent; the same line twice in a row is kept once. Ends browsing.
    void add(const QString &line);
    // Up, with what the line edit holds now: the line before, the oldest one
    // again at the top; nothing when no line was sent yet.
    std::optional<QString> older(const QString &current);
    // Down: the line after; nothing unless browsing.
    std::optional<QString> newer();

    const QStringList &lines() const { return sent; }

private:
    QStringList sent;  // oldest first
    int position = -1; // browsing at this line; -1 not browsing
    QString draft;     // what was typed before the first Up
};

#endif // COMMANDHISTORY_H
