#include "app/fendrakexbeeconfiguratordialog.h"
#include "ui_fendrakexbeeconfiguratordialog.h"

#include "app/fieldlook.h"
#include "catalogue/modulesettings.h"
#include "logic/atstay.h"
#include "logic/baudrates.h"
#include "logic/commandsession.h"
#include "logic/modulejob.h"
#include "serial/serialport.h"

#include <QChart>
#include <QChartView>
#include <QKeyEvent>
#include <QLineSeries>
#include <QRegularExpressionValidator>
#include <QThread>
#include <QTimer>
#include <QValueAxis>

#include <utility>

namespace {

// Long enough for the worker to close a port whose driver is slow to let go.
constexpr unsigned long serialThreadStopTimeoutMs = 2000;

} // namespace

FendrakeXBeeConfiguratorDialog::FendrakeXBeeConfiguratorDialog(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::FendrakeXBeeConfiguratorDialog)
{
    qRegisterMetaType<QSerialPort::BaudRate>("QSerialPort::BaudRate");
    ui->setupUi(this);

    for (int rate : BaudRates::selectable())
        ui->cmbSerialBaudRate->addItem(QString::number(rate), rate);

    serialWorker = new SerialPort;
    serialThread = new QThread;
    serialWorker->moveToThread(serialThread);

    connect(serialThread, &QThread::started, serialWorker, &SerialPort::process);
    connect(serialWorker, &SerialPort::finished, serialThread, &QThread::quit);
    connect(serialWorker, &SerialPort::finished, serialWorker, &QObject::deleteLater);
    connect(serialThread, &QThread::finished, serialThread, &QObject::deleteLater);
    connect(this, &FendrakeXBeeConfiguratorDialog::finish, serialWorker, &SerialPort::onFinish);
    connect(this, &FendrakeXBeeConfiguratorDialog::change_port, serialWorker, &SerialPort::onChangePort);
    connect(this, &FendrakeXBeeConfiguratorDialog::change_baud_rate, serialWorker, &SerialPort::onChangeBaudRate);
    connect(serialWorker, &SerialPort::port_open, this, &FendrakeXBeeConfiguratorDialog::onPortOpened);
    connect(serialWorker, &SerialPort::port_error, this, &FendrakeXBeeConfiguratorDialog::onPortError);
    connect(serialWorker, &SerialPort::data_received, this, &FendrakeXBeeConfiguratorDialog::onDataReceived);
    connect(this, &FendrakeXBeeConfiguratorDialog::write_data, serialWorker, &SerialPort::onWriteData);
    connect(this, &FendrakeXBeeConfiguratorDialog::change_framing, serialWorker, &SerialPort::onChangeFraming);
    connect(serialWorker, &SerialPort::framing_refused, this, &FendrakeXBeeConfiguratorDialog::onFramingRefused);
    connect(serialWorker, &SerialPort::port_framings, this, &FendrakeXBeeConfiguratorDialog::onPortFramings);
    connect(this, &FendrakeXBeeConfiguratorDialog::discard_input, serialWorker, &SerialPort::onDiscardInput);
    connect(serialWorker, &SerialPort::input_discarded, this, &FendrakeXBeeConfiguratorDialog::onInputDiscarded);

    serialThread->start(QThread::InheritPriority);

    testTimer = new QTimer;
    connect(testTimer, &QTimer::timeout, this, &FendrakeXBeeConfiguratorDialog::onTestTimerTimeout);
    session = new CommandSession(*this, sessionClock, this);

    createChart();
    fillPortList();
    installValidators();
    connectWidgets();
    setUpModuleState();
    setUpConsole();
    setUpLostPort();
    fitListToItems(ui->cmbConfiguration);

    // Its room is kept while hidden, so a Read does not make the window taller.
    QSizePolicy progressPolicy = ui->progressBar->sizePolicy();
    progressPolicy.setRetainSizeWhenHidden(true);
    ui->progressBar->setSizePolicy(progressPolicy);
    ui->progressBar->hide();
    ui->progressBar->setValue(0);
    ui->progressBar->setMaximum(0);
    applyUserLevel();
    ui->rdbTransmitter->setChecked(true);
    chartView->hide();

    restoreSerialSelection();
    restorePortFraming();

    ui->btnExportResults->setVisible(ui->rdbReceiver->isChecked());
    setUpRangeSeats();
}

FendrakeXBeeConfiguratorDialog::~FendrakeXBeeConfiguratorDialog()
{
    // A write under way is recorded, and a module in command mode told to
    // leave it; nobody is left to read a message about it.
    session->disconnect(this);
    if (job)
        job->disconnect(this);
    if (consoleStay)
        consoleStay->disconnect(this);
    abandonModuleWork(true);
    // The event loop has usually ended by now, so the quit that the worker's
    // finished() queues to this thread would never run: let the worker's own
    // thread quit as soon as it has handled finish().
    connect(serialWorker, &SerialPort::finished, serialThread, &QThread::quit, Qt::DirectConnection);
    emit finish();
    waitForSerialThread();

    testTimer->stop();
    delete testTimer;

    delete ui;
}

void FendrakeXBeeConfiguratorDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void FendrakeXBeeConfiguratorDialog::waitForSerialThread()
{
    // Bounded, so the port is closed before the program goes away but a
    // stuck driver cannot keep the window from closing.
    if (serialThread->wait(serialThreadStopTimeoutMs)) {
        delete serialThread;
        serialThread = nullptr;
    } else {
        qWarning() << "Serial worker did not stop in time";
    }
}

void FendrakeXBeeConfiguratorDialog::createChart()
{
    rssiSeries = new QLineSeries;
    rssiChart = new QChart;
    rssiChart->addSeries(rssiSeries);
    rssiChart->legend()->hide();
    rssiChart->setTitle(tr("RSSI (dBm)"));

    axisX = new QValueAxis;
    axisX->setTitleText(tr("Samples"));
    axisX->setRange(0.0, 50.0);
    axisY = new QValueAxis;
    axisY->setTitleText(tr("RSSI (dBm)"));
    axisY->setRange(-100.0, 0.0);
    rssiChart->addAxis(axisX, Qt::AlignBottom);
    rssiChart->addAxis(axisY, Qt::AlignLeft);
    rssiSeries->attachAxis(axisX);
    rssiSeries->attachAxis(axisY);
    rssiSeries->setPointsVisible(true);

    chartView = new QChartView(rssiChart);
    chartView->setRenderHint(QPainter::Antialiasing);
    // Tall enough to read, but as wide as the window: a wider chart would push
    // the window past a small screen's edge when Receiver is chosen.
    chartView->setMinimumSize(0, 400);
    // Hidden from the start: the window is sized to the Settings tab before
    // the constructor ends, and a chart the user cannot see must not widen it.
    chartView->hide();
    ui->verticalLayout_Chart->addWidget(chartView, 0, Qt::Alignment());
}

void FendrakeXBeeConfiguratorDialog::installValidators()
{
    for (const ModuleSetting &setting : ModuleSettings::all()) {
        if (setting.kind != FieldKind::TextField || !setting.pattern)
            continue;
        const QRegularExpression pattern(QString::fromLatin1(setting.pattern));
        findChild<QLineEdit *>(QLatin1String(setting.widget))
            ->setValidator(new QRegularExpressionValidator(pattern, this));
    }
}

void FendrakeXBeeConfiguratorDialog::connectWidgets()
{
    using Dialog = FendrakeXBeeConfiguratorDialog;
    connect(rssiSeries, &QXYSeries::hovered, this, &Dialog::onPointHovered);
    connect(ui->btnAbout, &QPushButton::clicked, this, &Dialog::onAboutClicked);
    connect(ui->btnAboutQt, &QPushButton::clicked, this, &Dialog::onAboutQtClicked);
    connect(ui->cmbSerial, &QComboBox::currentIndexChanged, this, &Dialog::onSerialPortChanged);
    connect(ui->cmbSerialBaudRate, &QComboBox::currentIndexChanged, this, &Dialog::onSerialPortBaudRateChanged);
    connect(ui->btnReadSettings, &QPushButton::clicked, this, &Dialog::onReadSettings);
    connect(ui->btnWriteSettings, &QPushButton::clicked, this, &Dialog::onWriteSettings);
    connect(ui->cmbProfile, &QComboBox::currentIndexChanged, this, &Dialog::onProfileChanged);
    connect(ui->cmbConfiguration, &QComboBox::currentIndexChanged, this, &Dialog::onConfigurationChanged);
    connect(ui->btnConfigureChannelMask, &QPushButton::clicked, this, &Dialog::onConfigureChannelMaskClicked);
    connect(ui->rdbTransmitter, &QRadioButton::clicked, this, &Dialog::onTestModeClicked);
    connect(ui->rdbReceiver, &QRadioButton::clicked, this, &Dialog::onTestModeClicked);
    connect(ui->btnStartTest, &QPushButton::clicked, this, &Dialog::onStartTestClicked);
    connect(ui->btnExportResults, &QPushButton::clicked, this, &Dialog::onExportResultsClicked);
    connect(ui->btnClose, &QPushButton::clicked, this, &QWidget::close);
    connect(session, &CommandSession::replyReceived, this, &Dialog::onSessionReply);
    connect(session, &CommandSession::runFinished, this, &Dialog::onRunFinished);
    connect(session, &CommandSession::idleLineReceived, this, &Dialog::handleTestLine);

    // profile files
    connect(ui->btnOpenProfile, &QPushButton::clicked, this, &Dialog::onOpenProfileClicked);
    connect(ui->btnSaveProfile, &QPushButton::clicked, this, &Dialog::onSaveProfileClicked);
    connect(this, &Dialog::change_port, this, &Dialog::forgetModule);
}
