#ifndef SETTINGVALUE_H
#define SETTINGVALUE_H

#include <QString>

struct ModuleSetting;

// What a setting of the catalogue may hold, and when two of its values mean the same.
namespace SettingValue {

// Whether a write run may send value for setting: a text the field's
// validator accepts, a channel mask (the text field without a pattern) of at
// most eight hexadecimal digits with no bit outside the band, or an item
// index the combo has, written as a write run sends it. Nothing else reaches
// the module, so no blank, prefix, control character or overlong line either.
// False for settings that are not written.
bool accepts(const ModuleSetting &setting, const QString &value);

// Whether the module stores the same for both texts: hexadecimal text
// compares as a number ("c0" equals "C0"), a combo value as its index.
bool sameValue(const ModuleSetting &setting, const QString &a, const QString &b);

} // namespace SettingValue

#endif // SETTINGVALUE_H
