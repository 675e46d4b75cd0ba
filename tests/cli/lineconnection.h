#ifndef LINECONNECTION_H
#define LINECONNECTION_H

#include "cli/commandrun.h"
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

    // What a command printed, said and exited with (-1: it did not end).
    struct Ran
    {
        QStringList printed;
        QStringList said;
        int status = -1;
    };
    // Runs a command to its end and lets the line settle. Ctrl-C comes as
    // the entry interruptAt goes out to port; "+++" is before anything does.
    Ran run(const CliOptions &options, const QString &port = QString(), const QString &interruptAt = QString())
    {
        CommandRun command(options, opener(), QStringLiteral("tarnowick-cli test"), [] { return QStringList(); });
        Ran ran;
        QObject context;
        QObject::connect(&command, &CommandRun::output, &context, [&](const QString &text) { ran.printed << text; });
        QObject::connect(&command, &CommandRun::message, &context, [&](const QString &text) { ran.said << text; });
        QObject::connect(&command, &CommandRun::finished, &context, [&](int status) { ran.status = status; });
        QObject::connect(&command, &CommandRun::progress, &context, [&] {
            const QStringList wire = interruptAt.isEmpty() ? QStringList() : module(port)->wire();
            if (!wire.isEmpty() && wire.constLast().startsWith(interruptAt + QLatin1Char('@')))
                command.interrupt();
        });
        command.start();
        if (interruptAt == QLatin1String("+++"))
            command.interrupt();
        clock.runUntil([&] { return ran.status >= 0; });
        clock.advance(10000);
        return ran;
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
