#include "app/fendrakexbeeconfiguratordialog.h"

#include "catalogue/modulesettings.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

// The Settings tab's fields by their catalogue rows: reading, writing, the
// presets and profile files all reach a field through here.

QWidget *FendrakeXBeeConfiguratorDialog::settingField(const ModuleSetting &setting) const
{
    return setting.widget ? findChild<QWidget *>(QLatin1String(setting.widget)) : nullptr;
}

QString FendrakeXBeeConfiguratorDialog::fieldValue(const ModuleSetting &setting) const
{
    QWidget *field = settingField(setting);
    if (auto *combo = qobject_cast<QComboBox *>(field))
        return QString::number(combo->currentIndex());
    if (auto *edit = qobject_cast<QLineEdit *>(field))
        return edit->text();
    if (auto *label = qobject_cast<QLabel *>(field))
        return label->text();
    return QString();
}

void FendrakeXBeeConfiguratorDialog::setFieldValue(const ModuleSetting &setting, const QString &value)
{
    // Through the fields' ordinary setters, which bypass the input validators.
    QWidget *field = settingField(setting);
    if (auto *combo = qobject_cast<QComboBox *>(field))
        combo->setCurrentIndex(value.toInt());
    else if (auto *edit = qobject_cast<QLineEdit *>(field))
        edit->setText(value);
    else if (auto *label = qobject_cast<QLabel *>(field))
        label->setText(value);
}

void FendrakeXBeeConfiguratorDialog::setFieldValues(const QHash<QString, QString> &values)
{
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        if (const ModuleSetting *setting = ModuleSettings::find(it.key()))
            setFieldValue(*setting, it.value());
    }
}
