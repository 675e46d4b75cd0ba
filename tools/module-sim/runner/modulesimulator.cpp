#include "modulesimulator.h"

#include <QDeadlineTimer>
#include <QFileInfo>

namespace {
const QString simulatorPath = QStringLiteral(MODULE_SIM_EXECUTABLE);
}

ModuleSimulator::ModuleSimulator(const QStringList &extraArguments)
    : arguments(QStringList{"--modules", "2", "--link-dir", linkDir.path()} + extraArguments)
{
    // Its complaints belong in the test's log.
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

bool ModuleSimulator::isBuilt()
{
    return QFileInfo(simulatorPath).isExecutable();
}

bool ModuleSimulator::start(int timeoutMs)
{
    ports.clear();
    if (!isBuilt()) {
        error = QStringLiteral("the module simulator %1 is missing").arg(simulatorPath);
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
