#ifndef REPLYMAPPING_H
#define REPLYMAPPING_H

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

struct ModuleSetting;

// Conversions of the module's reply lines that need no widget, so they can
// be checked (and fuzzed) on their own. Every reply is already trimmed.
namespace Reply {

// Command mode entered, or a value taken: the module says "OK" somewhere in the line.
bool isAcknowledgement(const QString &line);

// The line without what came before it that is no text: another module's
// data at a wrong rate arrives as junk with no line end of its own, and is
// glued to the front of the next line.
QString withoutLeadingJunk(const QString &line);

// What a Read's reply puts into the field of setting, as the field holds it:
// the reply itself for a text field or a label, the item index in decimal for
// a combo. Nothing when the reply names no item of the combo.
std::optional<QString> fieldValue(const ModuleSetting &setting, const QString &reply);

// The module's values by command from a run's replies (entry and reply), as
// the fields hold them; replies no field takes are left out. writtenOnly
// keeps the settings a write sends, else every one the form shows.
QHash<QString, QString> settingValues(const QList<QPair<QString, QString>> &replies, bool writtenOnly);

} // namespace Reply

#endif // REPLYMAPPING_H
