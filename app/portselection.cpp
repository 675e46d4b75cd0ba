#include "app/fendrakexbeeconfiguratordialog.h"
#include "ui_fendrakexbeeconfiguratordialog.h"

#include "app/fieldlook.h"
#include "app/popupwatcher.h"
#include "logic/baudrates.h"
#include "logic/commandsession.h"
#include "logic/modulejob.h"
#include "serial/availableports.h"
#include "settings/settings.h"

#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTimer>

namespace {

const QString portKey = QStringLiteral("serialport");
const QString baudRateKey = QStringLiteral("baudrate");
const QString noPort = QStringLiteral("None");

// Colour codes of cmbSerial's style sheet.
enum PortCode { PortOpen = 0, PortFailed = 1, NoPortSelected = 2 };

// The closed port selector shows at least this many characters, and names up
// to the longer length in full, so two adapters can be told apart.
constexpr int minimumPortChars = 10;
constexpr int longestWholePortName = 30;

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
        addPortItem(port);
    fitPortSelector();

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
            addPortItem(port);
    }
    fitPortSelector();

    if (selectedVanished) {
        serialPortOpen = false;
        setPortCode(PortFailed);
        onPortLost();
    }
}

void FendrakeXBeeConfiguratorDialog::restoreSerialSelection()
{
    Settings *settings = Settings::instance();
    settings->writeBack();
    const QString port = settings->value(Settings::generalGroup(), portKey, QString()).toString();
    ui->cmbSerial->setCurrentIndex(indexOrFirst(ui->cmbSerial, port));
    const int rate = settings->value(Settings::generalGroup(), baudRateKey, 9600).toInt();
    ui->cmbSerialBaudRate->setCurrentIndex(indexOrFirst(ui->cmbSerialBaudRate, rate));

    // A selection that was already current sent nothing above; send both
    // now so the worker always runs what the combo boxes show. It ignores
    // a port and a rate it already has.
    emit change_port(selectedPortName());
    session->setPortRate(selectedBaudRate());
    emit change_baud_rate(QSerialPort::BaudRate(selectedBaudRate()));
}

void FendrakeXBeeConfiguratorDialog::addExtraPort(const QString &portName)
{
    extraPortName = portName;
    int index = ui->cmbSerial->findData(portName, Qt::UserRole, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0) {
        addPortItem(portName);
        index = ui->cmbSerial->count() - 1;
        fitPortSelector();
    }
    ui->cmbSerial->setCurrentIndex(index);
}

void FendrakeXBeeConfiguratorDialog::addPortItem(const QString &portName)
{
    // The item keeps the whole name as its data; the text may be shortened.
    QString text = portName;
    if (portName.size() > longestWholePortName) {
        const QFontMetrics metrics = ui->cmbSerial->fontMetrics();
        text = metrics.elidedText(portName, Qt::ElideMiddle, metrics.horizontalAdvance(portName, longestWholePortName));
    }
    ui->cmbSerial->addItem(text, portName);
    if (text != portName)
        ui->cmbSerial->setItemData(ui->cmbSerial->count() - 1, portName, Qt::ToolTipRole);
}

void FendrakeXBeeConfiguratorDialog::fitPortSelector()
{
    // Wide enough for every item, so the dialog's resizing cannot cut the
    // chosen port's name short.
    QComboBox *combo = ui->cmbSerial;
    const QFontMetrics metrics = combo->fontMetrics();
    int widest = metrics.horizontalAdvance(QString(minimumPortChars, QLatin1Char('X')));
    for (int i = 0; i < combo->count(); ++i)
        widest = qMax(widest, metrics.horizontalAdvance(combo->itemText(i)));
    QStyleOptionComboBox option;
    option.initFrom(combo);
    const QSize contents(widest, metrics.height());
    combo->setMinimumWidth(combo->style()->sizeFromContents(QStyle::CT_ComboBox, &option, contents, combo).width());
    fitListToItems(combo);
    updatePortToolTip();
}

void FendrakeXBeeConfiguratorDialog::onSerialPortChanged(int currentIndex)
{
    Q_UNUSED(currentIndex);
    const QString port = selectedPortName();
    portFailure.clear();
    portLost = false;
    updatePortToolTip();
    // Before the port closes: a module in command mode is told to leave it.
    abandonModuleWork(true);
    emit change_port(port);
    Settings::instance()->setValue(Settings::generalGroup(), portKey, port);
}

QString FendrakeXBeeConfiguratorDialog::selectedPortName() const
{
    // An item's data is its whole name ("None" has none); the text may be shortened.
    const QVariant data = ui->cmbSerial->currentData();
    return data.isNull() ? noPort : data.toString();
}

int FendrakeXBeeConfiguratorDialog::selectedBaudRate() const
{
    const QVariant rate = ui->cmbSerialBaudRate->currentData();
    return rate.isValid() ? rate.toInt() : QSerialPort::Baud9600;
}

void FendrakeXBeeConfiguratorDialog::onSerialPortBaudRateChanged(int currentIndex)
{
    Q_UNUSED(currentIndex);
    const int rate = selectedBaudRate();
    session->setPortRate(rate);
    emit change_baud_rate(QSerialPort::BaudRate(rate));
    Settings::instance()->setValue(Settings::generalGroup(), baudRateKey, rate);
    showPortFraming();
}

void FendrakeXBeeConfiguratorDialog::onPortOpened(bool open)
{
    // Without a port no reply can come, so what is under way ends here.
    if (!open)
        abandonModuleWork(ui->cmbSerial->currentIndex() == 0);
    if (ui->cmbSerial->currentIndex() == 0) {
        ui->progressBar->setVisible(false);
        serialPortOpen = false;
        setPortCode(NoPortSelected);
    } else {
        if (open) {
            portFailure.clear();
            portLost = false;
        }
        serialPortOpen = open;
        setPortCode(open ? PortOpen : PortFailed);
    }
    if (!open)
        stopTransmitterOnClosedPort();
}

void FendrakeXBeeConfiguratorDialog::onPortError(const QString &reason)
{
    // Arrives just before the port_open(false) it explains.
    portFailure = reason;
}

void FendrakeXBeeConfiguratorDialog::setPortCode(int code)
{
    ui->cmbSerial->setProperty("code", code);
    // The style sheet reads the property only when the widget is polished again.
    ui->cmbSerial->style()->unpolish(ui->cmbSerial);
    ui->cmbSerial->style()->polish(ui->cmbSerial);
    updatePortToolTip();
}

void FendrakeXBeeConfiguratorDialog::updatePortToolTip()
{
    // A shortened name in whole, and why a red port cannot be used, so the user knows what to fix.
    QStringList lines;
    const QString wholeName = ui->cmbSerial->currentData(Qt::ToolTipRole).toString();
    if (!wholeName.isEmpty())
        lines.append(wholeName);
    if (ui->cmbSerial->property("code").toInt() == PortFailed && (portLost || !portFailure.isEmpty()))
        lines.append(portLost ? lostPortText() : tr("The port could not be used: %1").arg(portFailure));
    ui->cmbSerial->setToolTip(lines.join(QLatin1Char('\n')));
}
