#ifndef MODULENAMES_H
#define MODULENAMES_H

#include <QSet>
#include <QString>

#include <optional>

// A name pattern with a counter for the modules of a batch: "SCORE-{n:03}"
// names module 7 "SCORE-007", "GATE-{n}" module 12 "GATE-12".
class NamePattern
{
public:
    // Nothing, and the reason in problem, for a pattern without exactly one
    // counter or one whose first name could not be a node identifier.
    static std::optional<NamePattern> parse(const QString &pattern, int first, QString *problem);

    QString name(int number) const;
    // Why a number's name cannot be a node identifier (too long); empty when it can.
    QString problemWith(int number) const;

private:
    QString prefix;
    QString suffix;
    int width = 0; // zero-padded to this many digits
};

// Which numbers of a pattern are taken. Modules are named in parallel: a
// number goes to a write when it starts, is kept only when the write is
// verified, and is free again for the next module when it fails.
class NameCounter
{
public:
    NameCounter(const NamePattern &pattern, int first);

    int take();               // the lowest number not kept and not under way
    void keep(int number);    // a verified write named a module with it
    void release(int number); // the write failed
    int next() const;         // what take() would give now
    QString name(int number) const { return pattern.name(number); }

private:
    NamePattern pattern;
    int first;
    QSet<int> kept;
    QSet<int> underWay;
};

#endif // MODULENAMES_H
