#ifndef MODULERIG_H
#define MODULERIG_H

#include "modulecore.h"

#include <QStringList>

// A module on a clock and a serial line that move only when the test says
// so, with all it sends to each side and all it logs. At 9600 baud a byte
// takes 1.04 ms on the line: "+++" is in 3.1 ms after it was sent, and an
// "OK\r" reaches the host 3.1 ms after the module sent it.
class Rig : public Clock, public HostLine
{
public:
    explicit Rig(const ModuleConfig &config = ModuleConfig(), RegisterStore *store = nullptr)
        : module(config, *this, store)
    {
        module.setHostLine(this);
        QObject::connect(&module, &ModuleCore::hostOutput, [this](const QByteArray &bytes) { host += bytes; });
        QObject::connect(&module, &ModuleCore::radioTransmit, [this](const QByteArray &bytes) { air += bytes; });
        QObject::connect(&module, &ModuleCore::eventLogged, [this](const QString &text) { log += text; });
    }
    qint64 nowMs() const override { return now; }
    std::optional<UartSettings> hostSettings() const override { return line; }

    // Plays a script of "wN" (let N ms pass), "<bytes" (a packet heard over
    // the radio at -74 dBm) and byte groups from the host, in order.
    void play(const QString &script)
    {
        for (const QString &token : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (token.startsWith(QLatin1Char('w'))) {
                now += token.mid(1).toInt();
                module.processTimers();
            } else if (token.startsWith(QLatin1Char('<'))) {
                module.receiveFromRadio(token.mid(1).toLatin1(), -74);
            } else {
                module.receiveFromHost(token.toLatin1());
            }
        }
    }

    qint64 now = 1000000;
    UartSettings line{9600, 0, 0};
    ModuleCore module;
    QByteArray host, air;
    QStringList log;
};

#endif // MODULERIG_H
