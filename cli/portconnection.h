#ifndef PORTCONNECTION_H
#define PORTCONNECTION_H

#include "logic/portmemory.h"

#include <QString>

#include <functional>
#include <memory>

class CommandSession;
class ModulePort;
class SessionClock;

// One port opened for a command: what its session talks through. The
// program opens serial ports; the tests hand in modules on a scripted line.
class PortConnection
{
public:
    virtual ~PortConnection() = default;
    virtual ModulePort &modulePort() = 0;
    virtual SessionClock &clock() = 0;
    // Lines from the port go to this session from now on.
    virtual void attach(CommandSession &session) = 0;
    // The job has ended: what was written goes out before the port closes.
    virtual void finish(const CommandSession &session) = 0;
};

// Opens portName at the rate and framing given; nothing, and the reason in
// problem ("The port … is in use by another program."), when it cannot.
using PortOpener = std::function<std::unique_ptr<PortConnection>(const QString &portName, const PortMemory::Uart &uart,
                                                                 QString *problem)>;

#endif // PORTCONNECTION_H
