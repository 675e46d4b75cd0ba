#include "catalogue/modulesettings.h"

namespace {

const char hex8[] = "^[0-9A-Fa-f]{1,8}$";
const char hex2[] = "^[0-9A-Fa-f]{1,2}$";

} // namespace

namespace ModuleSettings {

const QList<ModuleSetting> &all()
{
    // Built on first use: the command list of another file is made from it
    // while the program's globals are still being set up.
    // clang-format off
    static const QList<ModuleSetting> table = {
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
        // Up to 20 printable characters, neither beginning nor ending with a blank.
        {"NI", "txtNodeIdentifier", FieldKind::TextField, true, "^[!-~]([ -~]{0,18}[!-~])?$", 0, nullptr, false, true},
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
    return table;
}

const ModuleSetting *find(const QString &command)
{
    for (const ModuleSetting &setting : all()) {
        if (command == QLatin1String(setting.command))
            return &setting;
    }
    return nullptr;
}

} // namespace ModuleSettings
