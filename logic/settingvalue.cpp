#include "logic/settingvalue.h"

#include "catalogue/modulesettings.h"
#include "logic/channelmask.h"

#include <QRegularExpression>

namespace {

bool isItemIndex(const QString &value, int items)
{
    bool ok = false;
    const int index = value.toInt(&ok);
    // Only the plain decimal number a write run sends: no sign, blank or leading zero.
    return ok && index >= 0 && index < items && QString::number(index) == value;
}

bool matches(const char *pattern, const QString &value)
{
    // As the line edit's validator: the whole text, so a final line break does not slip past "$".
    const QRegularExpression expression(QRegularExpression::anchoredPattern(QLatin1String(pattern)));
    return expression.match(value).hasMatch();
}

// The mask as the module takes it in one command line: the calculator's eight
// digits at most, which its parser alone would not limit (it skips any number
// of leading zeros, blanks and a "0x").
bool isChannelMask(const QString &value)
{
    if (!matches("[0-9A-Fa-f]{1,8}", value))
        return false;
    const std::optional<quint32> mask = ChannelMask::parse(value);
    return mask && !(*mask & ~ChannelMask::allowedBits);
}

} // namespace

namespace SettingValue {

bool accepts(const ModuleSetting &setting, const QString &value)
{
    if (!setting.written)
        return false;
    if (setting.kind == FieldKind::Combo)
        return isItemIndex(value, setting.items);
    return setting.pattern ? matches(setting.pattern, value) : isChannelMask(value);
}

bool sameValue(const ModuleSetting &setting, const QString &a, const QString &b)
{
    if (setting.plainText)
        return a.trimmed() == b.trimmed();
    bool aOk = false;
    bool bOk = false;
    const int base = setting.kind == FieldKind::Combo ? 10 : 16;
    const qulonglong aNumber = a.trimmed().toULongLong(&aOk, base);
    const qulonglong bNumber = b.trimmed().toULongLong(&bOk, base);
    return aOk && bOk ? aNumber == bNumber : a == b;
}

} // namespace SettingValue
