#ifndef ATCOMMANDLINE_H
#define ATCOMMANDLINE_H

#include <QByteArray>
#include <QList>

struct AtCommand
{
    QByteArray name;      // two characters, upper case; empty when malformed
    QByteArray parameter; // empty for a query or an action
};

// Splits one command line, without its carriage return, into its commands:
// "AT", then commands separated by commas, each a two-letter name and an
// optional parameter, with blanks and one "=" allowed in between.
// Returns false when the line does not start with "AT".
bool parseAtLine(const QByteArray &line, QList<AtCommand> *commands);

#endif // ATCOMMANDLINE_H
