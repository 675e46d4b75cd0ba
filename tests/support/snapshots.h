#ifndef SNAPSHOTS_H
#define SNAPSHOTS_H

#include "messageboxcatcher.h"

#include <QComboBox>
#include <QMap>

// What the user sees, as values a test can compare.

// The Settings tab: object name -> text, or combo index as decimal text,
// for every field a reply, a preset or a write touches.
using FormState = QMap<QString, QString>;

// A form no module and no preset of the tests leaves: every text "1" and every
// combo item 1 (what answering "1" to each entry of a Read shows), but MAC mode
// item 2, which no preset picks, and the configuration Custom.
// clang-format off
inline const FormState plainForm{
    {"txtTransmitOptions", "1"}, {"txtChannelMask", "1"}, {"txtPANID", "1"}, {"txtBroadcastMultiTransmits", "1"},
    {"txtDestinationAddressLow", "1"}, {"txtDestinationAddressHigh", "1"}, {"txtPacketizationTimeout", "1"},
    {"lblSerialHighValue", "1"}, {"lblSerialLowValue", "1"}, {"cmbBaudRate", "1"}, {"cmbParity", "1"},
    {"cmbStopBits", "1"}, {"cmbAPIMode", "1"}, {"cmbMACMode", "2"}, {"cmbConfiguration", "0"}};
// clang-format on

// Line edits and labels hold a text, combos an item.
inline const char *valueProperty(const QObject *field)
{
    return qobject_cast<const QComboBox *>(field) ? "currentIndex" : "text";
}

inline FormState formState(const QWidget &dialog)
{
    FormState state;
    for (auto it = plainForm.keyBegin(); it != plainForm.keyEnd(); ++it) {
        const QObject *field = dialog.findChild<QObject *>(*it);
        state[*it] = field->property(valueProperty(field)).toString();
    }
    return state;
}

// Fills fields as the user would, except that the configuration shown does not run its preset.
inline void setForm(QWidget &dialog, const FormState &state)
{
    const QSignalBlocker noPreset(dialog.findChild<QComboBox *>("cmbConfiguration"));
    for (auto it = state.begin(); it != state.end(); ++it) {
        QObject *field = dialog.findChild<QObject *>(it.key());
        field->setProperty(valueProperty(field), it.value());
    }
}

inline FormState merged(FormState base, const FormState &changes)
{
    base.insert(changes);
    return base;
}

// The message boxes shown, one "icon | title | text" line each.
inline QStringList shown(const MessageBoxCatcher &boxes)
{
    const char *icons[] = {"NoIcon", "Information", "Warning", "Critical", "Question"};
    QStringList lines;
    for (const MessageBoxCatcher::Box &box : boxes.boxes())
        lines << QString("%1 | %2 | %3").arg(icons[box.icon], box.title, box.text);
    return lines;
}

#endif // SNAPSHOTS_H
