#ifndef LINECONNECTION_H
#define LINECONNECTION_H

#include "cli/portconnection.h"
#include "fakeclock.h"
#include "linemodule.h"
#include "logic/commandsession.h"

#include <QMap>

#include <memory>

// Ports whose modules sit on scripted lines on one fake clock: tarnowick-cli's
// commands on several ports, in process. A port listed in inUse does not open.
class LineBench
{
public:
    // Plugged in again, a port has another module; the one before stays with
    // whoever still holds it, as a pulled adapter's device does.
    void plug(const QString &port, const LineModuleSetup &setup)
    {
        if (modules.count(port))
            pulled.push_back(std::move(modules.at(port)));
        modules[port] = std::make_unique<LineModule>(clock, setup);
    }
    LineModule *module(const QString &port)
    {
        const auto it = modules.find(port);
        return it == modules.end() ? nullptr : it->second.get();
    }

    PortOpener opener()
    {
        return [this](const QString &port, const PortMemory::Uart &uart,
                      QString *problem) -> std::unique_ptr<PortConnection> {
            if (inUse.contains(port) || !modules.count(port)) {
                *problem = QStringLiteral("The port %1 is in use by another program.").arg(port);
                return nullptr;
            }
            modules.at(port)->setPortRate(uart.rate);
            modules.at(port)->setPortFraming(uart.framing);
            return std::make_unique<Connection>(*modules.at(port), clock, lastWriteMsAgo);
        };
    }

    FakeClock clock;
    QStringList inUse;
    // An earlier program wrote to each port this long ago: "+++" waits for the
    // rest of the guard time, so a signal can come before it. -1: none did.
    int lastWriteMsAgo = -1;

private:
    class Connection : public PortConnection
    {
    public:
        Connection(LineModule &module, FakeClock &clock, int lastWriteMsAgo)
            : module(module)
            , fakeClock(clock)
            , lastWriteMsAgo(lastWriteMsAgo)
        {
        }
        ~Connection() override { module.attach(nullptr); }
        ModulePort &modulePort() override { return module; }
        SessionClock &clock() override { return fakeClock; }
        void attach(CommandSession &session) override
        {
            module.attach(&session);
            if (lastWriteMsAgo >= 0)
                session.line().assumeEarlierWrite(lastWriteMsAgo, 0);
        }
        void finish(const CommandSession &) override { module.attach(nullptr); }

    private:
        LineModule &module;
        FakeClock &fakeClock;
        int lastWriteMsAgo;
    };

    std::map<QString, std::unique_ptr<LineModule>> modules;
    std::vector<std::unique_ptr<LineModule>> pulled;
};

#endif // LINECONNECTION_H
