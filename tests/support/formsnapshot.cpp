#include "formsnapshot.h"

#include "app/fendrakexbeeconfiguratordialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace {

const QStringList textFields{"txtTransmitOptions",         "txtChannelMask",           "txtPANID",
                             "txtBroadcastMultiTransmits", "txtDestinationAddressLow", "txtDestinationAddressHigh",
                             "txtPacketizationTimeout",    "lblSerialHighValue",       "lblSerialLowValue"};
const QStringList comboFields{"cmbBaudRate", "cmbParity",  "cmbStopBits",
                              "cmbAPIMode",  "cmbMACMode", "cmbConfiguration"};

} // namespace

FormState formState(FendrakeXBeeConfiguratorDialog &dialog)
{
    FormState state;
    for (const QString &name : textFields) {
        QWidget *widget = dialog.findChild<QWidget *>(name);
        auto *edit = qobject_cast<QLineEdit *>(widget);
        state[name] = edit ? edit->text() : static_cast<QLabel *>(widget)->text();
    }
    for (const QString &name : comboFields)
        state[name] = QString::number(dialog.findChild<QComboBox *>(name)->currentIndex());
    return state;
}

void scrambleForm(FendrakeXBeeConfiguratorDialog &dialog, int configuration)
{
    auto *selector = dialog.findChild<QComboBox *>(QStringLiteral("cmbConfiguration"));
    const QSignalBlocker noPreset(selector);
    selector->setCurrentIndex(configuration);
    for (const QString &name : textFields) {
        QWidget *widget = dialog.findChild<QWidget *>(name);
        if (auto *edit = qobject_cast<QLineEdit *>(widget))
            edit->setText(QStringLiteral("5"));
        else
            static_cast<QLabel *>(widget)->setText(QStringLiteral("5"));
    }
    for (const QString &name : comboFields.mid(0, 4))
        dialog.findChild<QComboBox *>(name)->setCurrentIndex(1);
    dialog.findChild<QComboBox *>(QStringLiteral("cmbMACMode"))->setCurrentIndex(2); // the presets pick 1
}

FormState merged(FormState base, const FormState &changes)
{
    for (auto it = changes.begin(); it != changes.end(); ++it)
        base[it.key()] = it.value();
    return base;
}
