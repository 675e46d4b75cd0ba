#include "uartframing.h"

namespace {
constexpr int DefaultBaud = 9600;
const char ParityLetters[] = "NEOMS";
} // namespace

QString framingName(const UartSettings &settings)
{
    const char parity = settings.parity < 5 ? ParityLetters[settings.parity] : '?';
    return QStringLiteral("8%1%2").arg(QLatin1Char(parity)).arg(settings.stopBits != 0 ? 2 : 1);
}

bool framingsMatch(const UartSettings &host, const UartSettings &module, bool strictStopBits)
{
    if (host.parity != module.parity)
        return false;
    return !strictStopBits || (host.stopBits != 0) == (module.stopBits != 0);
}

int bitsPerByte(quint32 parity, quint32 stopBits)
{
    return 1 + 8 + (parity != 0 ? 1 : 0) + (stopBits != 0 ? 2 : 1);
}

qint64 byteTimeUs(const UartSettings &settings)
{
    const qint64 baud = settings.baud > 0 ? settings.baud : DefaultBaud;
    return (bitsPerByte(settings.parity, settings.stopBits) * qint64(1000000) + baud - 1) / baud;
}

MismatchLog::MismatchLog(const QString &mismatch, const QString &recovered)
    : mismatchText(mismatch)
    , recoveredText(recovered)
{
}

QString MismatchLog::update(bool matches, const QString &host, const QString &module)
{
    if (matches) {
        if (!reported || host.isEmpty())
            return {};
        reported.reset();
        return recoveredText.arg(module);
    }
    const QPair<QString, QString> values(host, module);
    if (reported == values)
        return {};
    reported = values;
    return mismatchText.arg(host, module);
}
