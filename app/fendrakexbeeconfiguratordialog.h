#ifndef FENDRAKEXBEECONFIGURATORDIALOG_H
#define FENDRAKEXBEECONFIGURATORDIALOG_H

#include "logic/moduleport.h"
#include "logic/rangetestline.h"
#include "logic/rangeteststatistics.h"
#include "logic/rssiquerybudget.h"
#include "logic/rssisample.h"
#include "logic/sessionclock.h"
#include "logic/transmitterstatistics.h"
#include "logic/userlevel.h"

#include <QDialog>
#include <QHash>
#include <QList>
#include <QPointF>
#include <QPointer>
#include <QSerialPort>
#include <QStringList>

#include <optional>

QT_BEGIN_NAMESPACE
namespace Ui {
class FendrakeXBeeConfiguratorDialog;
}
class QChart;
class QChartView;
class QLineSeries;
class QProgressDialog;
class QScatterSeries;
class QThread;
class QTimer;
class QValueAxis;
QT_END_NAMESPACE

class CommandSession;
class SerialPort;
struct ModuleSetting;
struct RunOutcome;

// The main window and the controller of the whole program: every user
// action, every line from the module and every timer tick arrives here.
class FendrakeXBeeConfiguratorDialog : public QDialog, private ModulePort
{
    Q_OBJECT

public:
    explicit FendrakeXBeeConfiguratorDialog(QWidget *parent = nullptr);
    ~FendrakeXBeeConfiguratorDialog() override;

    // A port name offered besides the ports the system lists (--port), so a
    // virtual port can be chosen. Call before show(); it is selected at once.
    void addExtraPort(const QString &portName);

signals:
    void finish();
    void change_port(QString port);
    void change_baud_rate(QSerialPort::BaudRate baudRate);
    void write_data(QByteArray data);

public slots:
    void onPortOpened(bool open);
    void onDataReceived(QByteArray data);

private slots:
    void onAboutClicked();
    void onAboutQtClicked();
    void onUserLevelElevated(UserLevel level);
    void onSerialPortChanged(int currentIndex);
    void onSerialPortBaudRateChanged(int currentIndex);
    void onReadSettings();
    void onWriteSettings();
    void onProfileChanged();
    void onConfigurationChanged();
    void onConfigureChannelMaskClicked();
    void onTestModeClicked();
    void onStartTestClicked();
    void onExportResultsClicked();
    void onTestTimerTimeout();
    void onPointHovered(QPointF point, bool state);

private:
    friend class DialogProbe; // white-box access for the tests

    // core and wiring
    void createChart();
    void fillPortList();
    void installValidators();
    void connectWidgets();
    void waitForSerialThread();

    // port selection
    void restoreSerialSelection();
    void refreshPortList();
    void addPortItem(const QString &portName);
    void fitPortSelector();
    void setPortCode(int code);
    int selectedBaudRate() const;

    // baud-rate search
    void startBaudRateSearch();
    void onBaudRateSearchTrying(int attempt, int rate, bool slowPass);
    void onBaudRateSearchFound(int rate);
    void onBaudRateSearchExhausted();
    void onBaudRateSearchCancelled();
    void endBaudRateSearch();
    QPointer<QProgressDialog> searchProgress;

    // user levels
    void applyUserLevel();

    // command sequencer: the session runs the dialogue, the dialog shows it
    void writeToModule(const QByteArray &bytes) override; // every byte for the module goes through here
    void setPortRate(int rate) override;
    bool readyForRun(const QString &refusal); // warns with refusal when no port is open
    void startRun(int type, const QStringList &entries);
    void setCommandProgressVisible(bool visible);
    void onCommandModeEntered();
    void onEntrySent(int index);
    void onExitSent();
    void onEntryReply(const QString &entry, const QString &reply);
    void onRunFinished(const RunOutcome &outcome);
    // True when the user chose to search the baud rates (offered if asked for).
    bool showRunWarning(int type, const QString &text, bool offerSearch = false);
    SteadyClock sessionClock;
    CommandSession *session = nullptr;

    // the Settings tab's fields, reached through the catalogue (app/settingsfields.cpp)
    QWidget *settingField(const ModuleSetting &setting) const;
    QString fieldValue(const ModuleSetting &setting) const; // text, or item index in decimal
    void setFieldValue(const ModuleSetting &setting, const QString &value);
    void setFieldValues(const QHash<QString, QString> &values); // by command

    // replies, writing, range test
    void parseCommandResponse(const QString &command, const QString &response);
    void noteWritten(const QString &command, const QString &value);
    void writeSettings();
    void showWriteOutcome(const RunOutcome &outcome);
    bool configurationFollowsModule = false; // a read moves cmbConfiguration: no preset
    void handleRssiReply(const QString &response);
    void handleTestLine(const QString &line);
    void addRssiSample(int rssi);

    Ui::FendrakeXBeeConfiguratorDialog *ui = nullptr;
    SerialPort *serialWorker = nullptr;
    QThread *serialThread = nullptr;
    bool serialPortOpen = false;
    UserLevel userLevel = Beginner;
    QTimer *testTimer = nullptr;
    quint32 testPacketCounter = 0;
    QLineSeries *rssiSeries = nullptr;
    QChart *rssiChart = nullptr;
    QChartView *chartView = nullptr;
    QValueAxis *axisX = nullptr;
    QValueAxis *axisY = nullptr;
    QList<RssiSample> rssiSamples;
    qint32 sampleCounter = 0;

    // range test: packet-loss figures and the Start/Stop button's two faces
    void showTestStatistics();
    void setStartTestRunning(bool running);
    RangeTestStatistics testStatistics;

    QString extraPortName;

    // profile files (app/profiles.cpp)
public:
    // Fills the form with a checked profile's settings (command -> value as a
    // write run sends it), as Open... does, without its message box.
    void applyProfile(const QHash<QString, QString> &settings);

private slots:
    void onOpenProfileClicked();
    void onSaveProfileClicked();
    void forgetModule();

private:
    QHash<QString, QString> writeRunValues() const; // by command; empty fields are left out
    void beforeSettingsRun(int type);
    void rememberModuleReply(const QString &command, const QString &response);
    void markDifferences(const QStringList &commands);
    QHash<QString, QString> moduleReplies; // what the module answered in the last Read, by command

    // range test from both seats: the receiver's replies and silence, the
    // transmitter's figures and its own RSSI query (app/rangetestseats.cpp)
private:
    enum class RangeQuery { None, Receiver, Transmitter }; // whose "DB" query is under way
    void afterRangeRun(const RunOutcome &outcome);
    void sendTestLine();
    void handleHeardReply(const HeardReply &reply);
    void startOurRssiQuery();
    void answerTransmitter(const RunOutcome &outcome);
    void resetRangeSeats();
    void updateStatisticsTimer();
    void setStatisticsSilent(bool silent);
    void setUpRangeSeats();
    void showLostMarks();
    void onLostMarkHovered(QPointF point, bool state);
    void onAnswerTransmitterToggled(bool checked);
    qint64 rangeNowMs() const { return sessionClock.nowMs(); }
    QTimer *statisticsTimer = nullptr;
    QScatterSeries *lostSeries = nullptr;
    TransmitterStatistics transmitterStatistics;
    RssiQueryBudget ourQueryBudget;
    RangeQuery rangeQuery = RangeQuery::None;
    qint64 rangeQueryStartMs = 0;
    void noteLineDuringRun(const QByteArray &data);
    QList<HeardReply> repliesDue;          // the receiver's answers, sent once no run is under way
    std::optional<quint32> queriedCounter; // the line the receiver's query measures
    bool lineTakenIdle = false;            // the line just received reached handleTestLine
    bool tickPending = false;              // a tick fell inside a run: its line goes out at the run's end
};

#endif // FENDRAKEXBEECONFIGURATORDIALOG_H
