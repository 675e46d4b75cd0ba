#ifndef PORTMEMORY_H
#define PORTMEMORY_H

#include "logic/framing.h"

#include <QString>

#include <optional>

// What tarnowick-cli found or left the module on a port at: its UART rate
// and framing. A write of BD, NB or SB, or a search, changes them; the next
// command on the port starts from there instead of 9600 8N1, which the
// module would no longer answer. Kept in ports.ini in the data folder, so
// it outlives a restart as the module's stored settings do.
namespace PortMemory {

struct Uart
{
    int rate = 9600;
    Framing framing;
};

QString filePath();
std::optional<Uart> recall(const QString &portName);
void keep(const QString &portName, const Uart &uart);

} // namespace PortMemory

#endif // PORTMEMORY_H
