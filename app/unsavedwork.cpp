#include "app/fendrakexbeeconfiguratordialog.h"
#include "ui_fendrakexbeeconfiguratordialog.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <QPushButton>

// Work the user would lose asks first: values the module does not hold when
// the window closes, samples not exported when another test mode is chosen.

void FendrakeXBeeConfiguratorDialog::closeEvent(QCloseEvent *event)
{
    const QStringList unwritten = unwrittenChanges();
    if (unwritten.isEmpty()) {
        QDialog::closeEvent(event);
        return;
    }
    QMessageBox box(QMessageBox::Warning, tr("Unwritten changes"), idleStatus(unwritten), QMessageBox::NoButton, this);
    QPushButton *closeAnyway = box.addButton(tr("Close anyway"), QMessageBox::DestructiveRole);
    QPushButton *cancel = box.addButton(tr("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == closeAnyway)
        QDialog::closeEvent(event);
    else
        event->ignore();
}

bool FendrakeXBeeConfiguratorDialog::samplesMayGo()
{
    const int unexported = unexportedSamples();
    if (unexported == 0)
        return true;
    const QString text = unexported == 1 ? tr("1 sample has not been exported.")
                                         : tr("%1 samples have not been exported.").arg(unexported);
    QMessageBox box(QMessageBox::Warning, tr("Test mode"), text, QMessageBox::NoButton, this);
    box.setInformativeText(tr("A new test starts without them."));
    QPushButton *exportFirst = box.addButton(tr("Export…"), QMessageBox::AcceptRole);
    QPushButton *discard = box.addButton(tr("Discard"), QMessageBox::DestructiveRole);
    QPushButton *cancel = box.addButton(tr("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == exportFirst)
        return exportSamples();
    return box.clickedButton() == discard;
}
