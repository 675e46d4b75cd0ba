#include "logic/rangetestline.h"

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
