#ifndef BAUDRATES_H
#define BAUDRATES_H

#include <QList>
#include <QString>

#include <optional>

// The UART rates of the module, by the index its BD setting stores.
namespace BaudRates {

// 0 1200, 1 2400, 2 4800, 3 9600, 4 19200, 5 38400, 6 57600, 7 115200, 8 230400.
std::optional<int> forBdIndex(int index);

// The rates the port selector offers, slowest first.
const QList<int> &selectable();

// The order in which a search tries them: the factory rate first, as most
// modules still run at it, then from the fastest down.
const QList<int> &searchOrder();

// What a search that found nothing tried: "9600, 115200, … or 1200".
QString searchOrderText();

} // namespace BaudRates

#endif // BAUDRATES_H
