#ifndef UARTRATE_H
#define UARTRATE_H

#include <QByteArray>

// The rate that BD selects, in baud; 0 for an index out of range.
int uartRateOfIndex(quint32 bd);
// A byte is read as it was sent only when both ends run at the same rate.
// A rate that cannot be known is taken as the right one, so that the
// simulator never garbles on a guess.
bool ratesMatch(int hostBaud, int moduleBaud);
// What a byte becomes at the far end of a line whose ends disagree on the
// rate or the framing: bit 7 set and the low seven bits inverted. The
// result is always in 0x80..0xFF, so no carriage return, no "+" and no
// letter of "OK" ever comes through, and the same byte always gives the
// same junk.
char garbleByte(char byte);
QByteArray garbleBytes(const QByteArray &bytes);

#endif // UARTRATE_H
