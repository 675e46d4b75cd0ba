#include "app/fendrakexbeeconfiguratordialog.h"
#include "ui_fendrakexbeeconfiguratordialog.h"

#include "app/consoleinput.h"
#include "app/monitorview.h"
#include "logic/atstay.h"
#include "logic/commandsession.h"
#include "logic/consoletexts.h"
#include "logic/filesaving.h"
#include "logic/jobtexts.h"
#include "serial/serialport.h"

#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>

// The Console tab in the window: shown at the Guru level, where the serial
// worker hands out every byte it writes and reads for the monitor; its
// controls follow what the port and the session are doing.

namespace {

// The monitor's new lines and the countdown are shown this often while the tab is in view.
constexpr int refreshMs = 100;

} // namespace

void FendrakeXBeeConfiguratorDialog::setUpConsole()
{
    using Dialog = FendrakeXBeeConfiguratorDialog;
    qRegisterMetaType<QList<MonitorChunk>>("QList<MonitorChunk>");
    monitorView = new MonitorView(ui->lstMonitor, ui->lblMonitorDropped, this);
    consoleInput = new ConsoleInput(ui->txtConsoleInput);
    consoleTimer = new QTimer(this);
    consoleTimer->setInterval(refreshMs);
    connect(consoleTimer, &QTimer::timeout, this, &Dialog::refreshConsole);
    connect(serialWorker, &SerialPort::monitor_bytes, this, &Dialog::onMonitorBytes);
    connect(ui->tabWidget, &QTabWidget::currentChanged, this,
            [this] { onConsoleTabShown(ui->tabWidget->currentWidget() == ui->tabConsole); });
    connect(ui->chkMonitorHex, &QCheckBox::toggled, monitorView, &MonitorView::setHex);
    connect(ui->btnClearMonitor, &QPushButton::clicked, monitorView, &MonitorView::clear);
    connect(ui->btnSaveLog, &QPushButton::clicked, this, &Dialog::onSaveLogClicked);
    connect(ui->txtConsoleInput, &QLineEdit::returnPressed, this, &Dialog::onConsoleSend);
    connect(ui->btnConsoleSend, &QPushButton::clicked, this, &Dialog::onConsoleSend);
    connect(ui->btnCommandMode, &QPushButton::clicked, this, &Dialog::onCommandModeClicked);
    connect(ui->btnLeaveCommandMode, &QPushButton::clicked, this, [this] {
        if (consoleStay)
            consoleStay->leave();
        refreshConsole();
    });
    connect(session, &CommandSession::uartFollowed, this, &Dialog::onConsoleUartFollowed);
    refreshConsole();
}

void FendrakeXBeeConfiguratorDialog::showConsole(bool shown)
{
    ui->tabWidget->setTabVisible(ui->tabWidget->indexOf(ui->tabConsole), shown);
    // The worker hands out every byte only while someone may look at them.
    QMetaObject::invokeMethod(serialWorker, [worker = serialWorker, shown] { worker->onSetMonitoring(shown); });
    // Nobody could leave a stay the beginner view does not show.
    if (!shown && consoleStay)
        consoleStay->leave();
}

void FendrakeXBeeConfiguratorDialog::onConsoleTabShown(bool shown)
{
    if (!shown) {
        consoleTimer->stop();
        return;
    }
    consoleTimer->start();
    refreshConsole();
}

void FendrakeXBeeConfiguratorDialog::onMonitorBytes(const QList<MonitorChunk> &chunks)
{
    monitorView->add(chunks);
}

void FendrakeXBeeConfiguratorDialog::refreshConsole()
{
    monitorView->refresh(QDateTime::currentMSecsSinceEpoch());
    const bool stay = consoleStay && !consoleStay->isFinished();
    // A Read, Write, search or range-test query has the line: the monitor still shows it.
    const bool usable = serialPortOpen && (stay || !session->isBusy());
    ui->btnCommandMode->setEnabled(usable && !stay);
    ui->btnLeaveCommandMode->setEnabled(stay);
    ui->txtConsoleInput->setEnabled(usable);
    ui->chkConsoleCr->setEnabled(usable && !stay);
    ui->btnConsoleSend->setEnabled(usable && (!stay || consoleStay->isReady()));
    ui->txtConsoleInput->setPlaceholderText(stay ? tr("An AT command: ATNO, SM 0, NI GATE-WEST…")
                                                 : tr("Text to send over the air"));
    ui->lblConsoleState->setFullText(consoleStateText());
}

QString FendrakeXBeeConfiguratorDialog::consoleStateText() const
{
    if (!serialPortOpen)
        return ConsoleText::noPort();
    if (consoleStay && !consoleStay->isFinished())
        return session->inCommandMode() ? ConsoleText::inCommandMode(session->stayRemainingMs())
                                        : ConsoleText::entering();
    const QString mode = ConsoleText::transparent();
    return consoleNotice.isEmpty() ? mode : consoleNotice + QLatin1Char(' ') + mode;
}

void FendrakeXBeeConfiguratorDialog::onSaveLogClicked()
{
    const QString name = QStringLiteral("tarnowick-monitor-%1.log")
                             .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
    const QString path =
        QFileDialog::getSaveFileName(this, tr("Save log"), name, tr("Log files (*.log);;All files (*)"));
    if (path.isEmpty())
        return;
    const MonitorLog &log = monitorView->log();
    const QByteArray bytes = log.text(monitorView->hex()).toUtf8();
    const auto write = [&bytes](QIODevice *file) { return file->write(bytes) == bytes.size(); };
    if (saveFile(path, QIODevice::Text, write) != SaveResult::Saved) {
        QMessageBox::warning(this, tr("Save log"), JobText::fileNotWritten());
        return;
    }
    showStatus(tr("Saved %1 monitor lines to %2.").arg(log.size()).arg(QFileInfo(path).fileName()));
}

bool FendrakeXBeeConfiguratorDialog::consoleRefuses(const QString &title)
{
    if (!consoleStay)
        return false;
    QMessageBox::warning(this, title, ConsoleText::holdsCommandMode());
    return true;
}
