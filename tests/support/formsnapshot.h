#ifndef FORMSNAPSHOT_H
#define FORMSNAPSHOT_H

#include <QMap>
#include <QString>

class FendrakeXBeeConfiguratorDialog;

// The Settings tab as one comparable value: object name -> text, or combo
// index as decimal text, for every field a reply, a preset or a write touches.
using FormState = QMap<QString, QString>;

FormState formState(FendrakeXBeeConfiguratorDialog &dialog);

// Fills every field with a value no module or preset of the tests uses
// (texts "5", combos item 1, MAC mode item 2) and selects `configuration`
// without running its preset.
void scrambleForm(FendrakeXBeeConfiguratorDialog &dialog, int configuration);

// `base` with the entries of `changes` put over it.
FormState merged(FormState base, const FormState &changes);

#endif // FORMSNAPSHOT_H
