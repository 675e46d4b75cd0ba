#include "cli/serialconnection.h"

#include "cli/serialline.h"
#include "logic/commandsession.h"
#include "logic/linememory.h"
#include "logic/logging.h"

#include <QSerialPort>

namespace {

class SerialConnection : public PortConnection
{
public:
    SerialConnection(const QString &portName, SessionClock &clock)
        : name(portName)
        , port(portName)
        , line(port)
        , sessionClock(clock)
    {
        QObject::connect(&line, &SerialLine::framingRefused, &line,
                         [](const QString &text) { qCWarning(lcSerial).noquote() << text; });
    }

    QString open(const PortMemory::Uart &uart) { return SerialLine::open(port, name, uart.rate, uart.framing); }
    ModulePort &modulePort() override { return line; }
    SessionClock &clock() override { return sessionClock; }

    void attach(CommandSession &session) override
    {
        line.attach(&session);
        LineMemory::recall(name, session.line());
    }

    void finish(const CommandSession &session) override
    {
        line.drain();
        LineMemory::keep(name, session.line());
    }

private:
    QString name;
    QSerialPort port;
    SerialLine line;
    SessionClock &sessionClock;
};

} // namespace

PortOpener serialPortOpener(SessionClock &clock)
{
    return [&clock](const QString &portName, const PortMemory::Uart &uart,
                    QString *problem) -> std::unique_ptr<PortConnection> {
        auto connection = std::make_unique<SerialConnection>(portName, clock);
        *problem = connection->open(uart);
        if (!problem->isEmpty())
            return nullptr;
        return connection;
    };
}
