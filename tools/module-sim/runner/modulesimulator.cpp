#include "modulesimulator.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QSet>
#include <QThread>

namespace {

const QString simulatorPath = QStringLiteral(MODULE_SIM_EXECUTABLE);

// The simulator prints no path for a module that starts unplugged.
int unpluggedCount(const QStringList &arguments)
{
    const QString option = QStringLiteral("--unplugged");
    QSet<QString> letters;
    for (int i = 0; i < arguments.size(); ++i) {
        if (arguments.at(i) == option && i + 1 < arguments.size())
            letters.insert(arguments.at(i + 1).trimmed().toUpper());
        else if (arguments.at(i).startsWith(option + QLatin1Char('=')))
            letters.insert(arguments.at(i).mid(option.size() + 1).trimmed().toUpper());
    }
    return int(letters.size());
}

} // namespace

ModuleSimulator::ModuleSimulator(const QStringList &extraArguments)
    : ModuleSimulator(2, extraArguments)
{
}

ModuleSimulator::ModuleSimulator(int modules, const QStringList &extraArguments)
    : arguments(QStringList{"--modules", QString::number(modules), "--link-dir", linkDir.path()} + extraArguments)
    , expectedPaths(modules - unpluggedCount(extraArguments))
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
    // One path per module plugged in, in letter order.
    const QDeadlineTimer deadline(timeoutMs);
    while (ports.size() < expectedPaths) {
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

QString ModuleSimulator::port(QChar module) const
{
    return linkDir.filePath(QStringLiteral("module") + module.toUpper());
}

bool ModuleSimulator::unplug(QChar module, int timeoutMs)
{
    const QString link = port(module);
    // The simulator closes the device before it removes the link.
    return sendCommand(QStringLiteral("unplug ") + module)
        && waitFor([&link] { return !QFileInfo(link).isSymLink(); }, timeoutMs);
}

bool ModuleSimulator::plug(QChar module, int timeoutMs)
{
    const QString link = port(module);
    // The link is made once the device is there: exists() follows it.
    return sendCommand(QStringLiteral("plug ") + module)
        && waitFor([&link] { return QFileInfo(link).exists(); }, timeoutMs);
}

bool ModuleSimulator::sendCommand(const QString &line)
{
    if (process.state() != QProcess::Running) {
        error = QStringLiteral("the simulator is not running");
        return false;
    }
    process.write((line + QLatin1Char('\n')).toLocal8Bit());
    if (!process.waitForBytesWritten(2000)) {
        error = QStringLiteral("cannot write to the simulator: %1").arg(process.errorString());
        return false;
    }
    return true;
}

template<typename Condition> bool ModuleSimulator::waitFor(Condition done, int timeoutMs)
{
    // The simulator is another process: nothing here has to run meanwhile,
    // so a short poll is all the waiting there is.
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired() || process.state() != QProcess::Running) {
            error = QStringLiteral("the simulator did not plug or unplug the module in %1 ms").arg(timeoutMs);
            return false;
        }
        QThread::msleep(2);
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
