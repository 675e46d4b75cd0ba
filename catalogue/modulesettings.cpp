#include "catalogue/modulesettings.h"

#include "logic/channelmask.h"

#include <QRegularExpression>

namespace {

const char hex8[] = "^[0-9A-Fa-f]{1,8}$";
const char hex2[] = "^[0-9A-Fa-f]{1,2}$";

// clang-format off
const QList<ModuleSetting> table = {
    {"VR", nullptr, FieldKind::None, false, nullptr, 0},
    {"VH", nullptr, FieldKind::None, false, nullptr, 0},
    {"HV", nullptr, FieldKind::None, false, nullptr, 0},
    {"TO", "txtTransmitOptions", FieldKind::TextField, true, hex2, 0},
    // Filled only by the calculator, a read or a preset: no validator.
    {"CM", "txtChannelMask", FieldKind::TextField, true, nullptr, 0},
    {"ID", "txtPANID", FieldKind::TextField, true, "^[0-9A-Fa-f]{1,4}$", 0},
    {"MT", "txtBroadcastMultiTransmits", FieldKind::TextField, true, "^[0-5]{1}$", 0},
    {"SH", "lblSerialHighValue", FieldKind::ReadOnlyLabel, false, nullptr, 0},
    {"SL", "lblSerialLowValue", FieldKind::ReadOnlyLabel, false, nullptr, 0},
    {"DL", "txtDestinationAddressLow", FieldKind::TextField, true, hex8, 0},
    {"DH", "txtDestinationAddressHigh", FieldKind::TextField, true, hex8, 0},
    {"NI", nullptr, FieldKind::None, false, nullptr, 0},
    {"PL", nullptr, FieldKind::None, false, nullptr, 0},
    {"RR", nullptr, FieldKind::None, false, nullptr, 0},
    {"CE", nullptr, FieldKind::None, false, nullptr, 0},
    {"BD", "cmbBaudRate", FieldKind::Combo, true, nullptr, 8, "Baud Rate", true},
    {"NB", "cmbParity", FieldKind::Combo, true, nullptr, 3, "Parity", true},
    {"SB", "cmbStopBits", FieldKind::Combo, true, nullptr, 2, "Stop Bits", true},
    // RO ranges 0x0-0xFF, so two digits.
    {"RO", "txtPacketizationTimeout", FieldKind::TextField, true, hex2, 0},
    {"AP", "cmbAPIMode", FieldKind::Combo, true, nullptr, 3, "API Mode", false},
};
// clang-format on

bool isItemIndex(const QString &value, int items)
{
    bool ok = false;
    const int index = value.toInt(&ok);
    // Only the plain decimal number a write run sends: no sign, blank or leading zero.
    return ok && index >= 0 && index < items && QString::number(index) == value;
}

bool isChannelMask(const QString &value)
{
    const std::optional<quint32> mask = ChannelMask::parse(value);
    return mask && !(*mask & ~ChannelMask::allowedBits);
}

bool matches(const char *pattern, const QString &value)
{
    // As the line edit's validator: the whole text, so a final line break does not slip past "$".
    const QRegularExpression expression(QRegularExpression::anchoredPattern(QLatin1String(pattern)));
    return expression.match(value).hasMatch();
}

} // namespace

namespace ModuleSettings {

const QList<ModuleSetting> &all()
{
    return table;
}

const ModuleSetting *find(const QString &command)
{
    for (const ModuleSetting &setting : table) {
        if (command == QLatin1String(setting.command))
            return &setting;
    }
    return nullptr;
}

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
    bool aOk = false;
    bool bOk = false;
    const int base = setting.kind == FieldKind::Combo ? 10 : 16;
    const qulonglong aNumber = a.trimmed().toULongLong(&aOk, base);
    const qulonglong bNumber = b.trimmed().toULongLong(&bOk, base);
    return aOk && bOk ? aNumber == bNumber : a == b;
}

} // namespace ModuleSettings
