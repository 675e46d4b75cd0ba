#include "logic/framing.h"

#include <QCoreApplication>

namespace {

const char parityLetters[] = "NEOMS";
const char *const parityNames[] = {
    QT_TRANSLATE_NOOP("Framing", "no parity"),    QT_TRANSLATE_NOOP("Framing", "even parity"),
    QT_TRANSLATE_NOOP("Framing", "odd parity"),   QT_TRANSLATE_NOOP("Framing", "mark parity"),
    QT_TRANSLATE_NOOP("Framing", "space parity"),
};

} // namespace

QString Framing::text() const
{
    return QStringLiteral("8%1%2").arg(QLatin1Char(parityLetters[parity])).arg(stopBits + 1);
}

QString Framing::parityName() const
{
    return QCoreApplication::translate("Framing", parityNames[parity]);
}

std::optional<Framing> Framing::fromSettings(int nb, int sb)
{
    if (nb < 0 || nb > 4 || sb < 0 || sb > 1)
        return std::nullopt;
    return Framing{nb, sb};
}
