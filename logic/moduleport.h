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
};

#endif // MODULEPORT_H
