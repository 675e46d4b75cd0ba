#ifndef PRESETS_H
#define PRESETS_H

#include <QHash>
#include <QString>

// The configurations of cmbConfiguration, by item: 0 Custom, 1 Scoreboard,
// 2 WindSpeed. Values are by AT command, as the form holds them.
namespace Presets {

// What every configuration puts into the form, Custom too: broadcast,
// point-multipoint, no extra broadcasts, transparent 9600 8N1.
const QHash<QString, QString> &common();

// What a named configuration adds (its channel mask and PAN ID); nothing for Custom.
QHash<QString, QString> named(int configuration);

// The configuration whose PAN ID this is; 0 (Custom) for any other.
int forPanId(const QString &panId);

} // namespace Presets

#endif // PRESETS_H
