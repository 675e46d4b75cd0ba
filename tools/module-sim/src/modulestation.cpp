#include "modulestation.h"

#include "bytetext.h"
#include "clock.h"
#include "debuglog.h"
#include "modulecore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <limits>

ModuleStation::ModuleStation(ModuleCore *module, const Clock &clock, std::optional<qint64> hangupAfter, QObject *parent)
    : QObject(parent)
    , core(module)
    , clock(clock)
    , bytesBeforeHangup(hangupAfter)
{
    core->setParent(this);
    core->setHostLine(&pty);
    wakeUp.setSingleShot(true);
    wakeUp.setTimerType(Qt::PreciseTimer);
    connect(&wakeUp, &QTimer::timeout, this, [this] {
        core->processTimers();
        scheduleWakeUp();
    });
    connect(&pty, &PtyPort::received, this, &ModuleStation::onPtyReceived);
    connect(&pty, &PtyPort::outputDropped, this, [this](qsizetype bytes) {
        logVerbose(QStringLiteral("%1 out: the port is not being read, %2 bytes dropped").arg(label()).arg(bytes));
    });
    connect(&pty, &PtyPort::failed, this,
            [this](const QString &reason) { logProblem(QStringLiteral("module %1: %2").arg(label(), reason)); });
    connect(core, &ModuleCore::hostOutput, this, &ModuleStation::onModuleOutput);
    connect(core, &ModuleCore::deadlineChanged, this, &ModuleStation::scheduleWakeUp);
}

ModuleStation::~ModuleStation()
{
    // The module is a child and outlives the pty by a moment.
    core->setHostLine(nullptr);
    removeLink();
}

bool ModuleStation::plugIn(const QString &linkDir, QString *error)
{
    if (pty.isOpen())
        return true;
    if (!pty.open(error))
        return false;
    if (!linkDir.isEmpty() && !makeLink(linkDir, error)) {
        pty.close();
        return false;
    }
    emit pluggedIn();
    return true;
}

void ModuleStation::unplug()
{
    if (!pty.isOpen())
        return;
    wakeUp.stop();
    // The device goes before its link: whoever sees the link gone finds
    // no device either.
    pty.close();
    removeLink();
    core->restart();
    emit unplugged();
}

bool ModuleStation::isPluggedIn() const
{
    return pty.isOpen();
}

QString ModuleStation::devicePath() const
{
    return linkPath.isEmpty() ? pty.devicePath() : linkPath;
}

ModuleCore *ModuleStation::module() const
{
    return core;
}

void ModuleStation::injectHostData(const QByteArray &bytes)
{
    if (!pty.isOpen())
        return;
    logVerbose(QStringLiteral("%1 in  %2 (auto-transmit)").arg(label(), describeBytes(bytes)));
    core->receiveAtModuleRate(bytes);
}

void ModuleStation::onPtyReceived(const QByteArray &bytes)
{
    if (!bytesBeforeHangup) {
        takeHostData(bytes);
        return;
    }
    const qint64 taken = qMin<qint64>(*bytesBeforeHangup, bytes.size());
    *bytesBeforeHangup -= taken;
    takeHostData(bytes.left(taken));
    if (*bytesBeforeHangup == 0)
        hangUp();
}

void ModuleStation::takeHostData(const QByteArray &bytes)
{
    logVerbose(QStringLiteral("%1 in  %2").arg(label(), describeBytes(bytes)));
    core->receiveFromHost(bytes);
}

void ModuleStation::onModuleOutput(const QByteArray &bytes)
{
    if (!pty.isOpen())
        return;
    logVerbose(QStringLiteral("%1 out %2").arg(label(), describeBytes(bytes)));
    pty.write(bytes);
}

void ModuleStation::scheduleWakeUp()
{
    const std::optional<qint64> deadline = core->nextDeadline();
    if (!deadline || !pty.isOpen()) {
        wakeUp.stop();
        return;
    }
    const qint64 delay = qBound(qint64(0), *deadline - clock.nowMs(), qint64(std::numeric_limits<int>::max()));
    wakeUp.start(int(delay));
}

bool ModuleStation::makeLink(const QString &linkDir, QString *error)
{
    QDir dir(linkDir);
    if (!dir.mkpath(QStringLiteral("."))) {
        *error = QStringLiteral("cannot create the link directory %1").arg(linkDir);
        return false;
    }
    const QString path = dir.absoluteFilePath(QStringLiteral("module") + core->letter());
    const QFileInfo existing(path);
    // A link left behind by a simulator that was killed is replaced.
    if (existing.isSymLink())
        QFile::remove(path);
    else if (existing.exists()) {
        *error = QStringLiteral("%1 exists and is not a link").arg(path);
        return false;
    }
    if (!QFile::link(pty.devicePath(), path)) {
        *error = QStringLiteral("cannot create the link %1").arg(path);
        return false;
    }
    linkPath = path;
    return true;
}

void ModuleStation::removeLink()
{
    if (!linkPath.isEmpty() && QFileInfo(linkPath).isSymLink())
        QFile::remove(linkPath);
}

void ModuleStation::hangUp()
{
    logProblem(QStringLiteral("module %1: hung up (--hangup-after)").arg(label()));
    // Once: plugged in again, the module stays.
    bytesBeforeHangup.reset();
    unplug();
}

QString ModuleStation::label() const
{
    return QString(core->letter());
}
