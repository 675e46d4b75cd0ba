#ifndef REPLYMAPPING_H
#define REPLYMAPPING_H

#include <QString>

#include <optional>

struct ModuleSetting;

// Conversions of the module's reply lines that need no widget, so they can
// be checked (and fuzzed) on their own. Every reply is already trimmed.
namespace Reply {

// Command mode entered, or a value taken: the module says "OK" somewhere in the line.
bool isAcknowledgement(const QString &line);

// What a Read's reply puts into the field of setting, as the field holds it:
// the reply itself for a text field or a label, the item index in decimal for
// a combo. Nothing when the reply names no item of the combo.
std::optional<QString> fieldValue(const ModuleSetting &setting, const QString &reply);

} // namespace Reply

#endif // REPLYMAPPING_H
