#include "modulesimulator.h"

#include <QDeadlineTimer>

namespace {

#ifdef TARNOWICK_MODULE_SIM
const QString simulatorPath = QStringLiteral(TARNOWICK_MODULE_SIM);
#else
const QString simulatorPath;
#endif

constexpr int stopTimeoutMs = 3000;

} // namespace

ModuleSimulator::ModuleSimulator(const QStringList &extraArguments)
    : arguments({QStringLiteral("--modules"), QStringLiteral("2"), QStringLiteral("--link-dir"), linkDir.path()})
{
    arguments += extraArguments;
    // Its complaints belong in the test's log.
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

ModuleSimulator::~ModuleSimulator()
{
    stop();
}

bool ModuleSimulator::isBuilt()
{
    return !simulatorPath.isEmpty();
}

bool ModuleSimulator::start(int timeoutMs)
{
    ports.clear();
    if (!isBuilt()) {
        error = QStringLiteral("the module simulator is not part of this build");
        return false;
    }
    process.start(simulatorPath, arguments);
    if (!process.waitForStarted(timeoutMs)) {
        error = process.errorString();
        return false;
    }
    // One path per module, module A first.
    const QDeadlineTimer deadline(timeoutMs);
    QByteArray output;
    while (output.count('\n') < 2) {
        if (process.state() != QProcess::Running) {
            error = QStringLiteral("the simulator ended with status %1").arg(process.exitCode());
            return false;
        }
        if (deadline.hasExpired()) {
            error = QStringLiteral("the simulator printed no device paths");
            stop();
            return false;
        }
        process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
        output += process.readAllStandardOutput();
    }
    for (const QByteArray &line : output.split('\n')) {
        if (!line.trimmed().isEmpty())
            ports.append(QString::fromLocal8Bit(line.trimmed()));
    }
    return true;
}

QString ModuleSimulator::portA() const
{
    return ports.value(0);
}

QString ModuleSimulator::portB() const
{
    return ports.value(1);
}

void ModuleSimulator::stop()
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(stopTimeoutMs)) {
        process.kill();
        process.waitForFinished(stopTimeoutMs);
    }
}
