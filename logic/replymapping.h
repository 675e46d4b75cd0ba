#ifndef REPLYMAPPING_H
#define REPLYMAPPING_H

#include <QString>

// Conversions of the module's reply lines that need no widget, so they can
// be checked (and fuzzed) on their own. Every reply is already trimmed.
namespace Reply {

// Command mode entered, or a value taken: the module says "OK" somewhere in the line.
bool isAcknowledgement(const QString &line);

// The item of the configuration selector a PAN ID belongs to: 1 Scoreboard,
// 2 WindSpeed, 0 Custom for anything else.
int configurationForPanId(const QString &panId);

// BD, NB and SB answer with a decimal item index; a reply that is no decimal
// number counts as 0. Returns -1 when the index is not an item of the combo.
int comboIndex(const QString &reply, int itemCount);

// AP answers 0, 1 or 2; anything else is -1, so the selection can stay.
int apiModeIndex(const QString &reply);

} // namespace Reply

#endif // REPLYMAPPING_H
