#ifndef DEBUGTRANSCRIPT_H
#define DEBUGTRANSCRIPT_H

#include <QStringList>
#include <QtGlobal>

// Records every qDebug() line while it lives and still passes every message
// on to the test framework, so a test can compare the debug output line by line.
class DebugTranscript
{
public:
    DebugTranscript();
    ~DebugTranscript();
    DebugTranscript(const DebugTranscript &) = delete;
    DebugTranscript &operator=(const DebugTranscript &) = delete;

    QStringList lines() const;
    // The recorded lines that start with one of the prefixes, in order.
    QStringList linesStartingWith(const QStringList &prefixes) const;
    void clear();

private:
    static void handler(QtMsgType type, const QMessageLogContext &context, const QString &message);
    QtMessageHandler previous = nullptr;
};

#endif // DEBUGTRANSCRIPT_H
