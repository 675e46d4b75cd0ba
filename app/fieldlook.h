#ifndef FIELDLOOK_H
#define FIELDLOOK_H

#include <QString>

class QComboBox;
class QLineEdit;

// A field that takes the focus but no typing looks so, and its tooltip
// begins with how it is changed; its own help follows.
void showReadOnly(QLineEdit *field, bool readOnly, const QString &howToChange);

// The open list of a combo box as wide as its widest item, so no item is
// shortened; call again when the items change.
void fitListToItems(QComboBox *combo);

#endif // FIELDLOOK_H
