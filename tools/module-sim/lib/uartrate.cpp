#include "uartrate.h"

#include <iterator>

namespace {
const int BaudRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400};
}

int uartRateOfIndex(quint32 bd)
{
    return bd < std::size(BaudRates) ? BaudRates[bd] : 0;
}

bool ratesMatch(int hostBaud, int moduleBaud)
{
    return hostBaud <= 0 || hostBaud == moduleBaud;
}

char garbleByte(char byte)
{
    return char(0x80 | (~quint8(byte) & 0x7F));
}

QByteArray garbleBytes(const QByteArray &bytes)
{
    QByteArray garbled(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        garbled[i] = garbleByte(bytes.at(i));
    return garbled;
}
