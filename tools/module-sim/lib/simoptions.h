#ifndef SIMOPTIONS_H
#define SIMOPTIONS_H

#include "radio.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

struct SimOptions
{
    int modules = 1; // A, B, ... up to MaxModules
    QString linkDir;
    QString stateFile;
    QSet<QChar> unplugged;                 // no pty until plugged in
    std::optional<quint32> guardTime;      // GT, ms, of every module
    QHash<QChar, quint32> guardTimeAt;     // GT, ms, of one module
    std::optional<quint32> commandTimeout; // CT, units of 100 ms
    RadioConfig radio;
    std::optional<QChar> autoTransmit;
    int autoIntervalMs = 5000;
    QSet<QChar> silent;
    QSet<QByteArray> refused;
    QHash<QChar, qint64> hangupAfter;    // bytes received before the pty closes
    QHash<QChar, quint32> uartRateIndex; // BD to start with, per module
    QHash<QChar, quint32> parityIndex;   // NB to start with, per module
    QHash<QChar, quint32> stopBitsIndex; // SB to start with, per module
    bool strictFraming = false;
    // Per module: command, value held instead of the one set.
    QHash<QChar, QHash<QByteArray, QByteArray>> faults;
    bool verbose = false;
};

enum class OptionsOutcome { Run, ShowHelp, ShowVersion, Invalid };

// Fills options from the command line (arguments[0] is the program). For
// ShowHelp the message is the help text, for Invalid the reason.
OptionsOutcome parseSimOptions(const QStringList &arguments, SimOptions *options, QString *message);
QString simHelpText();

#endif // SIMOPTIONS_H
