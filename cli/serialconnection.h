#ifndef SERIALCONNECTION_H
#define SERIALCONNECTION_H

#include "cli/portconnection.h"

// Opens real serial ports (and pseudo-terminals by their path) on the
// machine's clock; what one command leaves the next on the port (when it
// last wrote, the guard time it measured) is kept in the port's line memory.
PortOpener serialPortOpener(SessionClock &clock);

#endif // SERIALCONNECTION_H
