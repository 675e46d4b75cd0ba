#include "bytetext.h"

QString describeBytes(const QByteArray &bytes)
{
    QString text(QLatin1Char('"'));
    for (char c : bytes) {
        switch (c) {
        case '\r':
            text += QLatin1String("\\r");
            break;
        case '\n':
            text += QLatin1String("\\n");
            break;
        case '\t':
            text += QLatin1String("\\t");
            break;
        case '"':
            text += QLatin1String("\\\"");
            break;
        case '\\':
            text += QLatin1String("\\\\");
            break;
        default:
            if (c >= 0x20 && c < 0x7F)
                text += QLatin1Char(c);
            else
                text +=
                    QLatin1String("\\x") + QString::number(quint8(c), 16).rightJustified(2, QLatin1Char('0')).toUpper();
        }
    }
    text += QLatin1Char('"');
    return text;
}
