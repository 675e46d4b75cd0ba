#ifndef MODULEPORT_H
#define MODULEPORT_H

#include "logic/framing.h"

#include <QByteArray>

// What the command-mode session needs of the serial port the module hangs
// on: the window's serial worker and the command line's port both fit. The
// port's lines come back through CommandSession::takeLine().
class ModulePort
{
public:
    virtual ~ModulePort() = default;
    virtual void writeToModule(const QByteArray &bytes) = 0;
    // Runs the port at another UART rate (a search, or following a new BD).
    virtual void setPortRate(int rate) = 0;
    // Parity and stop bits, following a written NB or SB. A port that cannot
    // run that framing says so to its user; it never silently stays at 8N1.
    virtual void setPortFraming(const Framing &framing) = 0;
    // Drops what was received and not yet taken, half a line included: a
    // reply that came after its program stopped waiting, or data the module
    // put out while nobody listened, must not answer the next "+++". Lines
    // received before the call never reach the session after it.
    virtual void discardInput() = 0;
    // Whether the port can run this framing at all (a pseudo-terminal takes no parity).
    virtual bool canUseFraming(const Framing &framing) const = 0;
};

#endif // MODULEPORT_H
