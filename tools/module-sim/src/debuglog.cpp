#include "debuglog.h"

#include <QTime>
#include <cstdio>

namespace {

bool verbose = false;

void writeLine(const QString &text)
{
    const QString line = QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz ")) + text + QLatin1Char('\n');
    std::fputs(line.toLocal8Bit().constData(), stderr);
}

} // namespace

void setVerboseLogging(bool on)
{
    verbose = on;
}

void logVerbose(const QString &text)
{
    if (verbose)
        writeLine(text);
}

void logProblem(const QString &text)
{
    writeLine(text);
}

void logNotice(const QString &text)
{
    writeLine(text);
}
