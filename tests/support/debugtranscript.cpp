#include "debugtranscript.h"

namespace {

QStringList recorded;
QtMessageHandler forwardTo = nullptr;

} // namespace

DebugTranscript::DebugTranscript()
{
    recorded.clear();
    previous = qInstallMessageHandler(&DebugTranscript::handler);
    forwardTo = previous;
}

DebugTranscript::~DebugTranscript()
{
    qInstallMessageHandler(previous);
    forwardTo = nullptr;
}

void DebugTranscript::handler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtDebugMsg)
        recorded.append(message);
    if (forwardTo)
        forwardTo(type, context, message);
}

QStringList DebugTranscript::lines() const
{
    return recorded;
}

QStringList DebugTranscript::linesStartingWith(const QStringList &prefixes) const
{
    QStringList matching;
    for (const QString &line : recorded) {
        for (const QString &prefix : prefixes) {
            if (line.startsWith(prefix)) {
                matching.append(line);
                break;
            }
        }
    }
    return matching;
}

void DebugTranscript::clear()
{
    recorded.clear();
}
