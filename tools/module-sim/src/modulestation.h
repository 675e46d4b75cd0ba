#ifndef MODULESTATION_H
#define MODULESTATION_H

#include "ptyport.h"

#include <QObject>
#include <QTimer>
#include <optional>

class Clock;
class ModuleCore;

// One simulated module on its pseudo-terminal: carries the bytes between
// the pty and the module and wakes the module at its deadlines. Plugging in
// opens a new pty (and links DIR/moduleX to it); unplugging closes it and
// takes the module's power, by command or after --hangup-after bytes.
class ModuleStation : public QObject
{
    Q_OBJECT

public:
    ModuleStation(ModuleCore *module, const Clock &clock, std::optional<qint64> hangupAfter, QObject *parent = nullptr);
    ~ModuleStation() override;

    // Opens a pty and, with a link directory, links DIR/moduleX to it.
    bool plugIn(const QString &linkDir, QString *error);
    void unplug();
    bool isPluggedIn() const;
    QString devicePath() const;
    ModuleCore *module() const;

    // Bytes that reach the module as if its host had written them.
    void injectHostData(const QByteArray &bytes);

signals:
    void pluggedIn();
    void unplugged();

private:
    void onPtyReceived(const QByteArray &bytes);
    void onModuleOutput(const QByteArray &bytes);
    void takeHostData(const QByteArray &bytes);
    void scheduleWakeUp();
    bool makeLink(const QString &linkDir, QString *error);
    void removeLink();
    void hangUp();
    QString label() const;

    ModuleCore *core;
    const Clock &clock;
    PtyPort pty;
    QTimer wakeUp;
    QString linkPath;
    std::optional<qint64> bytesBeforeHangup;
};

#endif // MODULESTATION_H
