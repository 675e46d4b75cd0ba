#include "app/fendrakexbeeconfiguratordialog.h"
#include "ui_fendrakexbeeconfiguratordialog.h"

#include "app/popupwatcher.h"
#include "serial/availableports.h"
#include "settings/settings.h"

#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>

namespace {

const QString settingsGroup = QStringLiteral("general");
const QString portKey = QStringLiteral("serialport");
const QString baudRateKey = QStringLiteral("baudrate");
const QString noPort = QStringLiteral("None");

// Colour codes of cmbSerial's style sheet.
enum PortCode { PortOpen = 0, PortFailed = 1, NoPortSelected = 2 };

QSerialPort::BaudRate baudRateFromText(const QString &text)
{
    static const QSerialPort::BaudRate rates[] = {
        QSerialPort::Baud1200,  QSerialPort::Baud2400,  QSerialPort::Baud4800,  QSerialPort::Baud9600,
        QSerialPort::Baud19200, QSerialPort::Baud38400, QSerialPort::Baud57600, QSerialPort::Baud115200,
    };
    for (QSerialPort::BaudRate rate : rates) {
        if (text == QString::number(rate))
            return rate;
    }
    return QSerialPort::Baud9600;
}

int indexOrFirst(const QComboBox *combo, const QVariant &data)
{
    const int index = combo->findData(data, Qt::UserRole, Qt::MatchExactly | Qt::MatchCaseSensitive);
    return index >= 0 && index < combo->count() ? index : 0;
}

} // namespace

void FendrakeXBeeConfiguratorDialog::fillPortList()
{
    ui->cmbSerial->addItem(noPort, QVariant());
    const QStringList ports = availablePortNames();
    for (const QString &port : ports)
        ui->cmbSerial->addItem(port, port);

    // Adapters come and go while the program runs: look again each time
    // the user opens the list.
    connect(new PopupWatcher(ui->cmbSerial), &PopupWatcher::popupRequested, this,
            &FendrakeXBeeConfiguratorDialog::refreshPortList);
}

void FendrakeXBeeConfiguratorDialog::refreshPortList()
{
    QComboBox *combo = ui->cmbSerial;
    const QString selected = combo->currentData().toString(); // empty for "None"

    QStringList keep = availablePortNames();
    if (!extraPortName.isEmpty() && !keep.contains(extraPortName))
        keep.append(extraPortName);
    const bool selectedVanished = !selected.isEmpty() && !keep.contains(selected);
    if (selectedVanished)
        keep.append(selected);

    // Only the list changes: the selection, and so the port, stay as they are.
    const QSignalBlocker blocker(combo);
    for (int i = combo->count() - 1; i > 0; --i) {
        if (!keep.contains(combo->itemData(i).toString()))
            combo->removeItem(i);
    }
    for (const QString &port : std::as_const(keep)) {
        if (combo->findData(port, Qt::UserRole, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0)
            combo->addItem(port, port);
    }

    if (selectedVanished) {
        serialPortOpen = false;
        setPortCode(PortFailed);
    }
}

void FendrakeXBeeConfiguratorDialog::restoreSerialSelection()
{
    Settings *settings = Settings::instance();
    const QString port = settings->value(settingsGroup, portKey, QString()).toString();
    ui->cmbSerial->setCurrentIndex(indexOrFirst(ui->cmbSerial, port));
    const int rate = settings->value(settingsGroup, baudRateKey, 9600).toInt();
    ui->cmbSerialBaudRate->setCurrentIndex(indexOrFirst(ui->cmbSerialBaudRate, rate));

    // A selection that was already current sent nothing above; send both
    // now so the worker always runs what the combo boxes show. It ignores
    // a port and a rate it already has.
    emit change_port(ui->cmbSerial->currentText());
    emit change_baud_rate(baudRateFromText(ui->cmbSerialBaudRate->currentText()));
}

void FendrakeXBeeConfiguratorDialog::addExtraPort(const QString &portName)
{
    extraPortName = portName;
    int index = ui->cmbSerial->findData(portName, Qt::UserRole, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0) {
        ui->cmbSerial->addItem(portName, portName);
        index = ui->cmbSerial->count() - 1;
    }
    ui->cmbSerial->setCurrentIndex(index);
}

void FendrakeXBeeConfiguratorDialog::onSerialPortChanged(int currentIndex)
{
    Q_UNUSED(currentIndex);
    const QString port = ui->cmbSerial->currentText();
    emit change_port(port);
    Settings::instance()->setValue(settingsGroup, portKey, port);
}

void FendrakeXBeeConfiguratorDialog::onSerialPortBaudRateChanged(int currentIndex)
{
    Q_UNUSED(currentIndex);
    const QSerialPort::BaudRate rate = baudRateFromText(ui->cmbSerialBaudRate->currentText());
    emit change_baud_rate(rate);
    Settings::instance()->setValue(settingsGroup, baudRateKey, int(rate));
}

void FendrakeXBeeConfiguratorDialog::onPortOpened(bool open)
{
    if (ui->cmbSerial->currentIndex() == 0) {
        commandTimer->stop();
        // Without a port no reply can come, so a run under way ends here.
        cancelRun();
        serialPortOpen = false;
        setPortCode(NoPortSelected);
    } else {
        serialPortOpen = open;
        setPortCode(open ? PortOpen : PortFailed);
    }
}

void FendrakeXBeeConfiguratorDialog::setPortCode(int code)
{
    ui->cmbSerial->setProperty("code", code);
    // The style sheet reads the property only when the widget is polished again.
    ui->cmbSerial->style()->unpolish(ui->cmbSerial);
    ui->cmbSerial->style()->polish(ui->cmbSerial);
}
