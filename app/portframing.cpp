#include "app/fendrakexbeeconfiguratordialog.h"
#include "ui_fendrakexbeeconfiguratordialog.h"

#include "settings/settings.h"

#include <QMessageBox>

// Parity and stop bits of the port, besides its rate: they follow a written
// NB and SB, are kept with the rate, and show in the rate selector's tooltip.

namespace {

const QString parityKey = QStringLiteral("parity");
const QString stopBitsKey = QStringLiteral("stopbits");

} // namespace

void FendrakeXBeeConfiguratorDialog::restorePortFraming()
{
    Settings *settings = Settings::instance();
    const std::optional<Framing> kept =
        Framing::fromSettings(settings->value(Settings::generalGroup(), parityKey, 0).toInt(),
                              settings->value(Settings::generalGroup(), stopBitsKey, 0).toInt());
    session->setPortFraming(kept.value_or(Framing{}));
    emit change_framing(session->framing().parity, session->framing().stopBits);
    showPortFraming();
}

void FendrakeXBeeConfiguratorDialog::setPortFraming(const Framing &framing)
{
    emit change_framing(framing.parity, framing.stopBits);
    Settings::instance()->setValue(Settings::generalGroup(), parityKey, framing.parity);
    Settings::instance()->setValue(Settings::generalGroup(), stopBitsKey, framing.stopBits);
    showPortFraming();
}

void FendrakeXBeeConfiguratorDialog::showPortFraming()
{
    ui->cmbSerialBaudRate->setToolTip(
        tr("The port runs at %1 %2.").arg(selectedBaudRate()).arg(session->framing().text()));
}

bool FendrakeXBeeConfiguratorDialog::canUseFraming(const Framing &framing) const
{
    // The worker tried every framing on the port when it opened it.
    return usableFramings & (1u << (framing.parity * 2 + framing.stopBits));
}

void FendrakeXBeeConfiguratorDialog::onPortFramings(quint32 framings)
{
    usableFramings = framings;
}

void FendrakeXBeeConfiguratorDialog::onFramingRefused(int parity, int stopBits)
{
    // A write checks the framing before it starts; this is a port that changed its mind.
    const Framing refused{parity, stopBits};
    const QString text = refused.parity ? tr("The port cannot use %1.").arg(refused.parityName())
                                        : tr("The port cannot use two stop bits.");
    showStatus(text);
    QMessageBox::warning(this, tr("Serial port"),
                         text + QLatin1Char('\n')
                             + tr("The module now uses %1; this port cannot reach it until its framing is set back.")
                                   .arg(refused.text()));
}
