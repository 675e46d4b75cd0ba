#include "bytetext.h"

#include <algorithm>
#include <iterator>
#include <utility>

QString describeBytes(const QByteArray &bytes)
{
    static const std::pair<char, const char *> escapes[] = {
        {'\r', "\\r"}, {'\n', "\\n"}, {'\t', "\\t"}, {'"', "\\\""}, {'\\', "\\\\"}};
    QString text(QLatin1Char('"'));
    for (char c : bytes) {
        const auto escape =
            std::find_if(std::begin(escapes), std::end(escapes), [c](const auto &e) { return e.first == c; });
        if (escape != std::end(escapes))
            text += QLatin1String(escape->second);
        else if (c >= 0x20 && c < 0x7F)
            text += QLatin1Char(c);
        else
            text += QLatin1String("\\x") + QString::number(quint8(c), 16).rightJustified(2, QLatin1Char('0')).toUpper();
    }
    text += QLatin1Char('"');
    return text;
}
