#include "app/fendrakexbeeconfiguratordialog.h"
#include "ui_fendrakexbeeconfiguratordialog.h"

#include "catalogue/modulesettings.h"
#include "catalogue/presets.h"

#include <QIcon>
#include <QScopedValueRollback>
#include <QStyle>

#include <utility>

// The form against the module: which fields differ from what the module
// holds (shown in bold, live), and the unwritten values a Read replaced,
// which Undo puts back.

namespace {

// Bold only, so the field keeps every other part of its parent's font.
void setBold(QWidget *field, bool bold)
{
    QFont font;
    if (bold)
        font.setBold(true);
    field->setFont(font);
}

} // namespace

void FendrakeXBeeConfiguratorDialog::setUpModuleState()
{
    // Enter in a field must do no more than a line edit does: no button is the
    // dialog's default, and none becomes it when it takes the focus.
    for (QPushButton *button : findChildren<QPushButton *>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    for (const ModuleSetting &setting : ModuleSettings::all()) {
        QWidget *field = setting.written ? settingField(setting) : nullptr;
        if (auto *combo = qobject_cast<QComboBox *>(field))
            connect(combo, &QComboBox::currentIndexChanged, this, &FendrakeXBeeConfiguratorDialog::onFormEdited);
        else if (auto *edit = qobject_cast<QLineEdit *>(field))
            connect(edit, &QLineEdit::textChanged, this, &FendrakeXBeeConfiguratorDialog::onFormEdited);
    }
    ui->btnUndo->setIcon(QIcon::fromTheme(QStringLiteral("edit-undo"), style()->standardIcon(QStyle::SP_ArrowBack)));
    // Its room is kept while hidden, so the window does not jump when it is offered.
    QSizePolicy undoPolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    undoPolicy.setRetainSizeWhenHidden(true);
    ui->btnUndo->setSizePolicy(undoPolicy);
    ui->btnUndo->hide();
    connect(ui->btnUndo, &QPushButton::clicked, this, &FendrakeXBeeConfiguratorDialog::onUndoClicked);
    formAtStart = formValues();
}

QHash<QString, QString> FendrakeXBeeConfiguratorDialog::formValues() const
{
    QHash<QString, QString> values;
    for (const ModuleSetting &setting : ModuleSettings::all()) {
        if (setting.written)
            values.insert(QLatin1String(setting.command), fieldValue(setting));
    }
    return values;
}

void FendrakeXBeeConfiguratorDialog::putFormValues(const QHash<QString, QString> &values)
{
    setFieldValues(values);
    // The selector names the configuration the PAN ID belongs to; its preset would undo the values.
    const QScopedValueRollback<bool> following(configurationFollowsModule, true);
    ui->cmbConfiguration->setCurrentIndex(Presets::forPanId(ui->txtPANID->text()));
}

void FendrakeXBeeConfiguratorDialog::takeModuleReply(const QString &command, const QString &reply)
{
    moduleValues.takeReply(command, reply);
    refreshDifferences();
}

void FendrakeXBeeConfiguratorDialog::takeWrittenValue(const QString &command, const QString &value)
{
    // Before any Read, what the module took is what the form is compared with.
    if (!moduleValues.isKnown())
        formAtStart.insert(command, value);
    moduleValues.takeWritten(command, value);
    refreshDifferences();
}

void FendrakeXBeeConfiguratorDialog::forgetModule()
{
    withdrawUndo();
    moduleValues.forget();
    refreshDifferences();
}

void FendrakeXBeeConfiguratorDialog::beforeSettingsJob(JobKind kind)
{
    withdrawUndo();
    refreshDifferences();
    if (kind != JobKind::Read)
        return;
    valuesBeforeRead = unwrittenValues();
    moduleValues.startRead();
}

QStringList FendrakeXBeeConfiguratorDialog::unwrittenChanges() const
{
    // Unwritten are the values the module does not hold; before any Read, those the user put in.
    const QHash<QString, QString> reference = moduleValues.isKnown() ? moduleValues.values() : formAtStart;
    return ModuleValues::differing(formValues(), reference);
}

QHash<QString, QString> FendrakeXBeeConfiguratorDialog::unwrittenValues() const
{
    const QHash<QString, QString> form = formValues();
    QHash<QString, QString> values;
    for (const QString &command : unwrittenChanges())
        values.insert(command, form.value(command));
    return values;
}

void FendrakeXBeeConfiguratorDialog::afterSettingsJob(JobKind kind)
{
    // A Read that stopped half-way has replaced values too: they are offered back the same way.
    if (kind != JobKind::Read)
        return;
    offerUndoOfReplaced(std::exchange(valuesBeforeRead, {}), tr("Read"));
}

void FendrakeXBeeConfiguratorDialog::offerUndoOfReplaced(const QHash<QString, QString> &before, const QString &replacer)
{
    const QHash<QString, QString> form = formValues();
    QHash<QString, QString> replaced;
    for (const QString &command : ModuleValues::differing(before, form))
        replaced.insert(command, before.value(command));
    if (!replaced.isEmpty())
        offerUndo(replaced, replacer);
}

void FendrakeXBeeConfiguratorDialog::offerUndo(const QHash<QString, QString> &values, const QString &replacer)
{
    undoValues = values;
    QStringList commands;
    for (const ModuleSetting &setting : ModuleSettings::all()) {
        if (values.contains(QLatin1String(setting.command)))
            commands.append(QLatin1String(setting.command));
    }
    const QString names = commands.join(QLatin1String(", "));
    undoOffer = commands.size() == 1
        ? tr("%1 replaced 1 unwritten value: %2.").arg(replacer, names)
        : tr("%1 replaced %2 unwritten values: %3.").arg(replacer).arg(commands.size()).arg(names);
    showStatus(undoOffer);
    ui->btnUndo->show();
}

void FendrakeXBeeConfiguratorDialog::withdrawUndo()
{
    undoValues.clear();
    ui->btnUndo->hide();
    // Without its button the offer would only confuse.
    if (!undoOffer.isEmpty() && statusNews == undoOffer)
        statusNews.clear();
    undoOffer.clear();
}

void FendrakeXBeeConfiguratorDialog::onUndoClicked()
{
    // Put back as if typed: they are unwritten changes again.
    putFormValues(std::exchange(undoValues, {}));
    withdrawUndo();
    refreshDifferences();
}

void FendrakeXBeeConfiguratorDialog::onFormEdited()
{
    if (!fillingFromModule) {
        withdrawUndo();
        statusNews.clear();
    }
    refreshDifferences();
}

void FendrakeXBeeConfiguratorDialog::refreshDifferences()
{
    const QStringList differing = moduleValues.differing(formValues());
    for (const ModuleSetting &setting : ModuleSettings::all()) {
        if (setting.written)
            setBold(settingField(setting), differing.contains(QLatin1String(setting.command)));
    }
    ui->lblStatus->setFullText(statusNews.isEmpty() ? idleStatus(differing) : statusNews);
}
