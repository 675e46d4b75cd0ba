#include "controlinput.h"

#include "debuglog.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace {

constexpr int MaxLineLength = 256;

} // namespace

ControlInput::ControlInput(QObject *parent)
    : QObject(parent)
{
}

void ControlInput::start()
{
    // A background job that reads its terminal is stopped with SIGTTIN,
    // and with it every module; ignored, the read fails instead.
    std::signal(SIGTTIN, SIG_IGN);
    // Started with "&" from a shell, the terminal is the shell's: the lines
    // typed there are not for the simulator.
    if (isatty(STDIN_FILENO) && tcgetpgrp(STDIN_FILENO) != getpgrp()) {
        logVerbose(QStringLiteral("stdin: a terminal of another job; no commands are read"));
        return;
    }
    notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &ControlInput::readAvailable);
}

// One read per wake-up: stdin stays blocking, as it may be shared with the
// shell, and the notifier says there is something to read.
void ControlInput::readAvailable()
{
    char buffer[1024];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n > 0) {
        take(QByteArray(buffer, n));
    } else if (n == 0) {
        // A last line without its line end still counts.
        if (!partial.isEmpty() && !overlong)
            emit lineReceived(QString::fromLocal8Bit(partial).trimmed());
        stop(QString());
    } else if (errno != EINTR && errno != EAGAIN) {
        stop(QStringLiteral("stdin: %1; no more commands are read").arg(QString::fromLocal8Bit(std::strerror(errno))));
    }
}

void ControlInput::take(const QByteArray &bytes)
{
    for (const char byte : bytes) {
        if (byte == '\n') {
            if (overlong)
                logProblem(QStringLiteral("stdin: a line of more than %1 characters, ignored").arg(MaxLineLength));
            else
                emit lineReceived(QString::fromLocal8Bit(partial).trimmed());
            partial.clear();
            overlong = false;
        } else if (partial.size() < MaxLineLength) {
            partial.append(byte);
        } else {
            overlong = true;
        }
    }
}

void ControlInput::stop(const QString &problem)
{
    notifier->setEnabled(false);
    if (problem.isEmpty())
        logVerbose(QStringLiteral("stdin: end of input; the simulator goes on"));
    else
        logProblem(problem);
}
