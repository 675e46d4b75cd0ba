#include "logic/channelmask.h"

#include <algorithm>

namespace ChannelMask {

static bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

std::optional<quint32> parse(const QString &text)
{
    QStringView digits = QStringView(text).trimmed();
    if (digits.startsWith(u"0x", Qt::CaseInsensitive))
        digits = digits.mid(2);

    // QString's own conversion would also take a second prefix, a sign or
    // blanks; only the digits themselves are wanted here.
    if (digits.isEmpty() || !std::all_of(digits.begin(), digits.end(), isHexDigit))
        return std::nullopt;

    bool ok = false;
    const uint value = digits.toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return value;
}

QString format(quint32 mask)
{
    return QStringLiteral("%1").arg(mask, 8, 16, QLatin1Char('0')).toUpper();
}

} // namespace ChannelMask
