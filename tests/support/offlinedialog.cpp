#include "offlinedialog.h"

#include <QComboBox>
#include <QTest>

OfflineDialog::OfflineDialog()
    : probe(dialog)
    , writeSpy(&dialog, &FendrakeXBeeConfiguratorDialog::write_data)
{
}

bool OfflineDialog::makeReady()
{
    // A late report on "None" would end the run under test, so let it arrive first.
    auto *portCombo = dialog.findChild<QComboBox *>(QStringLiteral("cmbSerial"));
    if (!QTest::qWaitFor([portCombo] { return portCombo->property("code").isValid(); }, 5000))
        return false;
    probe.setSerialPortOpen(true);
    return true;
}

QList<QByteArray> OfflineDialog::sent() const
{
    QList<QByteArray> bytes;
    for (const QList<QVariant> &arguments : writeSpy)
        bytes.append(arguments.at(0).toByteArray());
    return bytes;
}

QByteArray OfflineDialog::lastSent() const
{
    return writeSpy.isEmpty() ? QByteArray() : writeSpy.last().at(0).toByteArray();
}

void OfflineDialog::reply(const QByteArray &line)
{
    dialog.onDataReceived(line + '\r');
}

void OfflineDialog::tick()
{
    probe.tickCommandTimer();
}

void OfflineDialog::runToEnd(const std::function<QByteArray(const QByteArray &)> &answer)
{
    // A run of n entries takes about 3n + 8 steps; the bound only stops a runaway test.
    for (int step = 0; step < 1000 && probe.commandState() != 0; ++step) {
        const int state = probe.commandState();
        if (state == 2 || state == 4 || state == 6)
            reply(answer(lastSent()));
        else
            tick();
    }
}
