#include "logic/rangetestline.h"

#include <QList>

#include <limits>

const QString testPayload = QStringLiteral("THE QUICK BROWN FOX");

QByteArray testLineBytes(quint32 counter)
{
    return QStringLiteral("%1 %2\r").arg(testPayload).arg(counter).toUtf8();
}

bool isTestLine(const QString &line)
{
    return line.contains(testPayload, Qt::CaseSensitive);
}

std::optional<quint32> testLineCounter(const QString &line)
{
    const qsizetype start = line.indexOf(testPayload, 0, Qt::CaseSensitive);
    if (start < 0)
        return std::nullopt;
    qsizetype position = start + testPayload.size();
    if (position >= line.size() || line.at(position) != QLatin1Char(' '))
        return std::nullopt;
    ++position;
    qsizetype end = position;
    while (end < line.size() && line.at(end).isDigit() && line.at(end).unicode() < 0x80)
        ++end;
    // Digits glued to other text ("17x") are not a counter the transmitter wrote.
    if (end == position || (end < line.size() && !line.at(end).isSpace()))
        return std::nullopt;
    bool ok = false;
    const quint32 counter = QStringView(line).mid(position, end - position).toUInt(&ok);
    if (!ok)
        return std::nullopt;
    return counter;
}

std::optional<int> rssiFromDbReply(const QString &reply)
{
    bool ok = false;
    const int value = reply.toInt(&ok, 16);
    // Minus the smallest int does not fit in an int.
    if (!ok || value == std::numeric_limits<int>::min())
        return std::nullopt;
    return -value;
}

namespace {

const QString heardWord = QStringLiteral("HEARD");
constexpr int weakestRssi = -255; // "DB" is one byte: FF

bool isRssiInRange(int rssi)
{
    return rssi >= weakestRssi && rssi <= 0;
}

// Decimal digits as QString::number writes them: ASCII only, no sign, no
// leading zero except for zero itself.
std::optional<quint32> canonicalNumber(QStringView text)
{
    if (text.isEmpty() || text.size() > 10 || (text.size() > 1 && text.front() == QLatin1Char('0')))
        return std::nullopt;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    bool ok = false;
    const quint32 value = text.toUInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<int> canonicalRssi(QStringView text)
{
    if (text == QLatin1String("0"))
        return 0;
    if (!text.startsWith(QLatin1Char('-')))
        return std::nullopt;
    const std::optional<quint32> magnitude = canonicalNumber(text.mid(1));
    if (!magnitude || *magnitude == 0 || *magnitude > quint32(-weakestRssi))
        return std::nullopt;
    return -int(*magnitude);
}

} // namespace

QByteArray heardReplyBytes(const HeardReply &reply)
{
    QString line = heardWord + QLatin1Char(' ') + QString::number(reply.counter);
    if (reply.rssi && isRssiInRange(*reply.rssi))
        line += QLatin1Char(' ') + QString::number(*reply.rssi);
    return (line + QLatin1Char('\r')).toLatin1();
}

std::optional<HeardReply> parseHeardReply(const QString &line)
{
    const QList<QStringView> parts = QStringView(line).split(QLatin1Char(' '));
    if (parts.size() < 2 || parts.size() > 3 || parts.front() != heardWord)
        return std::nullopt;
    HeardReply reply;
    const std::optional<quint32> counter = canonicalNumber(parts.at(1));
    if (!counter)
        return std::nullopt;
    reply.counter = *counter;
    if (parts.size() == 3) {
        reply.rssi = canonicalRssi(parts.at(2));
        if (!reply.rssi)
            return std::nullopt;
    }
    return reply;
}
