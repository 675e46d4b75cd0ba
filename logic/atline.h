#ifndef ATLINE_H
#define ATLINE_H

#include <QList>
#include <QString>

#include <optional>

// One command of a command line: a two-letter name and what follows it.
struct AtCommand
{
    QString name;      // upper case: "NI", "SM"
    QString parameter; // blanks and one "=" before it dropped: "0", "GATE-WEST"; empty for a query or an action
    // The parameter as a text setting such as NI takes it: only the one blank
    // (or "=" and one blank) after the name goes, other blanks stay.
    QString text;

    // The node identifier is the one setting whose value is a text.
    QString value() const { return name == QLatin1String("NI") ? text : parameter; }
    bool isQuery() const { return value().isEmpty(); }
    // The parameter as the module reads a number: hexadecimal, "0x" allowed.
    std::optional<qint64> number() const;
};

// A command line for the module's command mode as a technician types it:
// "ATNO", "SM 0", "atid3333,wr". The module takes "AT", then commands
// separated by commas; a chain stops at its first "ERROR".
namespace AtLine {

// The line as it goes to the module, "AT" added when missing and written in
// capitals: "NO" becomes "ATNO", "atno" "ATno". Blanks in front go, those at
// the end stay (a node identifier may end in one).
QString withPrefix(const QString &typed);

// The part after "AT", as the session sends it as an entry.
QString entry(const QString &line);

// The commands of a line with or without its "AT"; none for a bare "AT".
QList<AtCommand> commands(const QString &line);

// How many reply lines the module gives the line when none is an "ERROR".
int expectedReplies(const QString &line);

// A reply that says the module took nothing.
bool isError(const QString &reply);

// A number as the module reads it: hexadecimal, "0x" allowed.
std::optional<qint64> number(const QString &text);

} // namespace AtLine

#endif // ATLINE_H
