#ifndef ATCOMMANDLINE_H
#define ATCOMMANDLINE_H

#include <QByteArray>
#include <QList>

struct AtCommand
{
    QByteArray name;      // two characters, upper case; empty when malformed
    QByteArray parameter; // empty for a query or an action
    // For a text such as the node identifier: all after the name but one
    // blank and one "=" (with one blank after it), blanks within and at the
    // end kept; empty for a query.
    QByteArray text;
};

// Splits one command line, without its carriage return, into its commands:
// "AT", then commands separated by commas, each a two-letter name and an
// optional parameter, with blanks and one "=" allowed in between.
// Returns false when the line does not start with "AT".
bool parseAtLine(const QByteArray &line, QList<AtCommand> *commands);

#endif // ATCOMMANDLINE_H
