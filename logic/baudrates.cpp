#include "logic/baudrates.h"

#include <QStringList>

namespace BaudRates {

namespace {

const QList<int> moduleRates = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400};

} // namespace

std::optional<int> forBdIndex(int index)
{
    if (index < 0 || index >= moduleRates.size())
        return std::nullopt;
    return moduleRates.at(index);
}

const QList<int> &selectable()
{
    // 230400 is beyond what the serial line of this program is set up for.
    static const QList<int> rates = moduleRates.mid(0, moduleRates.size() - 1);
    return rates;
}

const QList<int> &searchOrder()
{
    static const QList<int> rates = {9600, 115200, 57600, 38400, 19200, 4800, 2400, 1200};
    return rates;
}

QString searchOrderText()
{
    QStringList rates;
    for (int rate : searchOrder())
        rates.append(QString::number(rate));
    const QString last = rates.takeLast();
    return rates.join(QLatin1String(", ")) + QLatin1String(" or ") + last;
}

} // namespace BaudRates
