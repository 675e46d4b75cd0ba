#ifndef MODULESETTINGS_H
#define MODULESETTINGS_H

#include <QList>
#include <QString>

// How the form shows an AT command's value.
enum class FieldKind {
    None,          // read from the module for the log only
    TextField,     // a line edit holding hexadecimal text
    Combo,         // a combo box whose item index is the module's value
    ReadOnlyLabel, // a label the user cannot change
};

// One row of the catalogue: an AT command and everything the program does with it.
struct ModuleSetting
{
    const char *command; // "TO"
    const char *widget;  // object name of the form's field, nullptr when the form shows none
    FieldKind kind;
    bool written;        // a write run sends it
    const char *pattern; // text fields: what the validator accepts; nullptr for the channel mask, which has none
    int items;           // combos: the number of items
    // Combos: how the log names the setting when a reply is no item ("Baud Rate"),
    const char *title = nullptr;
    // and whether a reply that is no decimal number selects item 0, as it
    // does for BD, NB and SB; AP keeps its item then.
    bool nonNumberIsFirstItem = false;
    // Text fields: a name, not a number ("0A" is not "A").
    bool plainText = false;
};

namespace ModuleSettings {

// Every AT command the program knows, in the order a read run asks for them
// (atCommandList is made from it).
const QList<ModuleSetting> &all();

// The row of an AT command, or nullptr when the catalogue has none.
const ModuleSetting *find(const QString &command);

} // namespace ModuleSettings

#endif // MODULESETTINGS_H
