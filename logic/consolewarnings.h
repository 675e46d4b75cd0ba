#ifndef CONSOLEWARNINGS_H
#define CONSOLEWARNINGS_H

#include <QStringList>

// Commands that cut the PC off from the module, caught before they go out:
// D6 1 (RTS flow control on a port without it), SM other than 0 (sleep), CT
// below 2 s, AP other than 0 (API mode, which the range test cannot use)
// and RE (factory settings). The window asks before sending such a line,
// tarnowick-cli at refuses it unless --force.
namespace ConsoleWarnings {

// One text per danger in the line (a chain may hold several), each naming
// what would follow; none when the line is safe.
QStringList of(const QString &line);

// CT below this leaves no time to type the next command.
constexpr qint64 shortestTimeoutMs = 2000;

} // namespace ConsoleWarnings

#endif // CONSOLEWARNINGS_H
