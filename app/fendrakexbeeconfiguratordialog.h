#ifndef FENDRAKEXBEECONFIGURATORDIALOG_H
#define FENDRAKEXBEECONFIGURATORDIALOG_H

#include "logic/commandsession.h"
#include "logic/moduleport.h"
#include "logic/modulevalues.h"
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
class ReadBack;

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
    void change_framing(int parity, int stopBits); // as NB and SB store them

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
    void setPortFraming(const Framing &framing) override;
    // parity and stop bits of the port (app/portframing.cpp)
    void restorePortFraming();
    void showPortFraming();
    void onFramingRefused(int parity, int stopBits);
    bool readyForRun(const QString &refusal); // warns with refusal when no port is open
    void startRun(int type, const QStringList &entries);
    void setCommandProgressVisible(bool visible);
    void onCommandModeEntered();
    void onEntrySent(int index);
    void onExitSent();
    void onEntryReply(const QString &entry, const QString &reply);
    void onRunFinished(const RunOutcome &outcome);
    QString runStatus(const RunOutcome &outcome) const;
    static QString timeOfDay();
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
    void showWriteOutcome(const RunOutcome &outcome, const QString &readBackLine = QString(),
                          bool readBackFailed = false);

    // a write is read back and recorded (app/verifiedwrite.cpp)
    void startReadBack(const RunOutcome &write);
    void finishReadBack(const RunOutcome &readBack);
    void recordWrite(const RunOutcome &write, const ReadBack *readBack);
    std::optional<RunOutcome> pendingWrite; // its box waits for the read-back
    QHash<QString, QString> pendingWriteValues;
    int resumeAfterSearch = 0;               // the run whose failure offered the search
    int writeStartRate = 0;                  // the rate a write went out at, for its record
    QString framingRefusal;                  // the port could not follow a written NB or SB
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
    // write run sends it), as Open... does, without its message box; with
    // the file's path the status line names it.
    void applyProfile(const QHash<QString, QString> &settings, const QString &path = QString());

private slots:
    void onOpenProfileClicked();
    void onSaveProfileClicked();

private:
    QHash<QString, QString> writeRunValues() const; // by command; empty fields are left out
    QString proposedProfileName() const;
    QHash<QString, QString> loadedProfile; // the last profile opened, as loaded
    QString loadedProfilePath;
    QString profileFolder() const;
    void rememberProfileFolder(const QString &path);

    // the module's values, the fields that differ from them, Undo of a Read
    // and the status line (app/modulestate.cpp, app/statusline.cpp)
public:
    // Says what is happening or what last happened, until the next edit of the form.
    void showStatus(const QString &text);
    // A read run's reply to command.
    void takeModuleReply(const QString &command, const QString &reply);
    // A write entry the module acknowledged ("ID", "3333").
    void takeWrittenValue(const QString &command, const QString &value);
    // A run has started (1 read, 2 write, 3 RSSI query).
    void beforeSettingsRun(int type);
    // A run has ended; completed when it entered command mode and left it normally.
    void afterSettingsRun(int type, bool completed);

private slots:
    void forgetModule();
    void onUndoClicked();
    void onPortError(const QString &reason);

private:
    void setUpModuleState();
    QHash<QString, QString> formValues() const; // every written setting, empty fields too
    void putFormValues(const QHash<QString, QString> &values);
    void onFormEdited();
    void refreshDifferences();
    void offerUndo(const QHash<QString, QString> &values);
    void withdrawUndo();
    QString idleStatus(const QStringList &differing) const;
    void updatePortToolTip();

    ModuleValues moduleValues;
    QHash<QString, QString> formAtStart;      // what the user had changed nothing in
    QHash<QString, QString> valuesBeforeRead; // unwritten values a Read under way may replace
    QHash<QString, QString> undoValues;       // what Undo puts back
    QString statusNews;                       // empty: the status line tells the unwritten changes
    QString undoOffer;
    QString portFailure; // why the chosen port could not be used, as the system says it
    bool fillingFromModule = false;

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
