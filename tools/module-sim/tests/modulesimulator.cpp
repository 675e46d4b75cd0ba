#include "modulesimulator.h"

#include <QDeadlineTimer>

#if defined(MODULE_SIM_EXECUTABLE) // the simulator's own tests
static const QString simulatorPath = QStringLiteral(MODULE_SIM_EXECUTABLE);
#elif defined(TARNOWICK_MODULE_SIM) // the program's tests
static const QString simulatorPath = QStringLiteral(TARNOWICK_MODULE_SIM);
#else
static const QString simulatorPath;
#endif

ModuleSimulator::ModuleSimulator(const QStringList &extraArguments)
    : arguments(QStringList{"--modules", "2", "--link-dir", linkDir.path()} + extraArguments)
{
    // Its complaints belong in the test's log.
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
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
    while (ports.size() < 2) {
        if (process.canReadLine()) {
            ports.append(QString::fromLocal8Bit(process.readLine()).trimmed());
        } else if (process.state() != QProcess::Running) {
            error = QStringLiteral("the simulator ended with status %1").arg(process.exitCode());
            return false;
        } else if (!process.waitForReadyRead(int(deadline.remainingTime())) && deadline.hasExpired()) {
            error = QStringLiteral("the simulator printed no device paths");
            stop();
            return false;
        }
    }
    return true;
}

void ModuleSimulator::stop()
{
    // SIGTERM, so that it removes its links; SIGKILL if it does not end.
    process.terminate();
    if (!process.waitForFinished(3000) && process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(3000);
    }
}
