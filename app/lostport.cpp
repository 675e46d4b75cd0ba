#include "app/fendrakexbeeconfiguratordialog.h"
#include "ui_fendrakexbeeconfiguratordialog.h"

#include "logic/logging.h"
#include "serial/serialport.h"

#include <QCoreApplication>
#include <QMessageBox>

// A port that stopped working (the adapter pulled out) says so wherever the
// user looks, and is taken up again by choosing it again or by Read, Write
// or Start, without a detour through "None".

void FendrakeXBeeConfiguratorDialog::setUpLostPort()
{
    connect(serialWorker, &SerialPort::port_lost, this, &FendrakeXBeeConfiguratorDialog::onPortLost);
    connect(ui->cmbSerial, &QComboBox::activated, this, &FendrakeXBeeConfiguratorDialog::onSerialPortActivated);
}

QString FendrakeXBeeConfiguratorDialog::lostPortText() const
{
    return tr("%1 is gone: the adapter may have been unplugged.").arg(selectedPortName());
}

void FendrakeXBeeConfiguratorDialog::onPortLost()
{
    portLost = true;
    qCDebug(lcSerial) << "Port lost:" << selectedPortName();
    stopTransmitterOnClosedPort();
    showStatus(lostPortText());
}

void FendrakeXBeeConfiguratorDialog::onSerialPortActivated(int index)
{
    // A new choice has gone to the worker already; the same one again is a retry.
    if (index > 0 && !serialPortOpen)
        emit change_port(selectedPortName());
}

bool FendrakeXBeeConfiguratorDialog::ensurePortOpen(const QString &refusal)
{
    if (serialPortOpen)
        return true;
    if (ui->cmbSerial->currentIndex() <= 0) {
        QMessageBox::warning(this, tr("Serial port not open"), refusal);
        return false;
    }
    reopenSelectedPort();
    if (serialPortOpen)
        return true;
    const QString problem =
        portLost ? lostPortText() : tr("%1 cannot be opened: %2.").arg(selectedPortName(), portFailure);
    showStatus(problem);
    QMessageBox::warning(this, tr("Serial port not open"), problem);
    return false;
}

void FendrakeXBeeConfiguratorDialog::reopenSelectedPort()
{
    // Opening takes the worker milliseconds; the button pressed goes on with its answer.
    const QString port = selectedPortName();
    SerialPort *worker = serialWorker;
    QMetaObject::invokeMethod(
        worker, [worker, port] { worker->onChangePort(port); }, Qt::BlockingQueuedConnection);
    // Its report is queued to this thread: take it now.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}
