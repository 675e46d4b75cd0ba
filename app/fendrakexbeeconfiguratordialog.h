#ifndef FENDRAKEXBEECONFIGURATORDIALOG_H
#define FENDRAKEXBEECONFIGURATORDIALOG_H

#include "logic/commandsession.h"
#include "logic/joboutcome.h"
#include "logic/moduleport.h"
#include "logic/modulevalues.h"
#include "logic/monitorlog.h"
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
class QCloseEvent;
class QKeyEvent;
class QChartView;
class QLineSeries;
class QProgressDialog;
class QScatterSeries;
class QThread;
class QTimer;
class QValueAxis;
QT_END_NAMESPACE

class AtStay;
class CommandSession;
class ConsoleInput;
class ModuleJob;
class MonitorView;
class SerialPort;
struct ModuleSetting;
enum class JobPhase;

// The main window and the controller of the whole program: every user
// action, every line from the module and every timer tick arrives here.
class FendrakeXBeeConfiguratorDialog : public QDialog, private ModulePort
{
    Q_OBJECT

public:
    explicit FendrakeXBeeConfiguratorDialog(QWidget *parent = nullptr);
    ~FendrakeXBeeConfiguratorDialog() override;

    // app/portselection.cpp
    // A port name offered besides the ports the system lists (--port), so a
    // virtual port can be chosen. Call before show(); it is selected at once.
    void addExtraPort(const QString &portName);
    // app/profiles.cpp
    // Fills the form with a checked profile's settings (command -> value as a
    // write run sends it), as Open... does, without its message box; with
    // the file's path the status line names it.
    void applyProfile(const QHash<QString, QString> &settings, const QString &path = QString());
    // app/statusline.cpp
    // Says what is happening or what last happened, until the next edit of the form.
    void showStatus(const QString &text);

protected:
    // Escape does not close the window: what was typed would be gone. Close and the title bar do.
    void keyPressEvent(QKeyEvent *event) override;
    // app/unsavedwork.cpp: values the module does not hold are not left without a question
    void closeEvent(QCloseEvent *event) override;

signals:
    void finish();
    void change_port(QString port);
    void change_baud_rate(QSerialPort::BaudRate baudRate);
    void write_data(QByteArray data);
    // app/portframing.cpp: parity and stop bits for the worker's port
    void change_framing(int parity, int stopBits); // as NB and SB store them
    // app/modulejobs.cpp: drop what waits in the port before a "+++"
    void discard_input();

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
    // app/portselection.cpp: the worker could not open the chosen port
    void onPortError(const QString &reason);
    // app/profiles.cpp: the Open... and Save... buttons
    void onOpenProfileClicked();
    void onSaveProfileClicked();
    // app/modulestate.cpp: another port was chosen, and the Undo button
    void forgetModule();
    void onUndoClicked();

private:
    friend class DialogProbe; // white-box access for the tests

    // what the constructor sets up and every part of the window shares
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

    // app/fendrakexbeeconfiguratordialog.cpp: building the window, the serial thread
    void createChart();
    void installValidators();
    void connectWidgets();
    void waitForSerialThread();
    SteadyClock sessionClock;
    CommandSession *session = nullptr;

    // app/portselection.cpp: the port and rate selectors
    void fillPortList();
    void restoreSerialSelection();
    void refreshPortList();
    void addPortItem(const QString &portName);
    void fitPortSelector();
    void setPortCode(int code);
    QString selectedPortName() const; // whole, "None" for none
    int selectedBaudRate() const;
    void updatePortToolTip();
    QString extraPortName;
    QString portFailure; // why the chosen port could not be used, as the system says it
    // The chosen port was open and stopped working.
    bool portLost = false;

    // app/lostport.cpp: a port that stopped working, and taking it up again
    void setUpLostPort();
    QString lostPortText() const;
    void onPortLost();
    void onSerialPortActivated(int index);
    // True when the port is open, if need be after trying the chosen one
    // again; otherwise warns, with refusal when no port is chosen.
    bool ensurePortOpen(const QString &refusal);
    void reopenSelectedPort();

    // app/portframing.cpp: parity and stop bits of the port
    void setPortFraming(const Framing &framing) override;
    bool canUseFraming(const Framing &framing) const override;
    void restorePortFraming();
    void showPortFraming();
    void onPortFramings(quint32 framings);
    void onFramingRefused(int parity, int stopBits);
    quint32 usableFramings = ~0u; // bit parity * 2 + stop bits, as the worker found the port

    // app/searchbaudrates.cpp: the baud-rate search a job makes
    void showBaudRateSearch();
    void onBaudRateSearchTrying(int attempt, int rate, bool slowPass);
    void onBaudRateSearchFound(int rate);
    void onBaudRateSearchCancelled();
    void endBaudRateSearch();
    QPointer<QProgressDialog> searchProgress;

    // app/userlevels.cpp: the user levels
    void applyUserLevel();

    // app/modulejobs.cpp: a job runs the dialogue with the module, the dialog shows it
    void writeToModule(const QByteArray &bytes) override; // every byte for the module goes through here
    void setPortRate(int rate) override;
    void discardInput() override;
    void onInputDiscarded();
    bool readyForJob(const QString &refusal); // warns with refusal when no port is open
    void abandonModuleWork(bool byUser);
    void startJob(JobRequest request);
    void setCommandProgress(int value, int maximum);
    void onJobProgress(JobPhase phase, int done, int total);
    void onJobReply(const QString &entry, const QString &reply);
    void onSessionReply(const QString &entry, const QString &reply);
    void onRunFinished(const RunOutcome &outcome);
    void onJobFinished(const JobOutcome &outcome);
    // True when the user chose to search the baud rates (offered when the module did not answer).
    bool showJobFailure(const JobRequest &request, const JobOutcome &outcome);
    static QString runStatus(RunResult result);
    static QString timeOfDay();
    ModuleJob *job = nullptr; // the last one; a new one replaces it
    int discardsPending = 0;  // lines from the worker belong to nobody until it has dropped them
    bool portClosedByUser = false;

    // app/settingsfields.cpp: the Settings tab's fields, reached through the catalogue
    QWidget *settingField(const ModuleSetting &setting) const;
    QString fieldValue(const ModuleSetting &setting) const; // text, or item index in decimal
    void setFieldValue(const ModuleSetting &setting, const QString &value);
    void setFieldValues(const QHash<QString, QString> &values); // by command

    // app/responseparsing.cpp: a reply into its field
    void parseCommandResponse(const QString &command, const QString &response);

    // app/writesettings.cpp: the write job (read back and recorded) and its message box
    QHash<QString, QString> writeRunValues() const; // by command; empty fields are left out
    void writeSettings();
    void showWriteOutcome(const JobOutcome &outcome);

    // app/profiles.cpp: profile files
    void showLoadedProfile(const QHash<QString, QString> &settings, const QString &path);
    QString proposedProfileName() const;
    QString profileFolder() const;
    void rememberProfileFolder(const QString &path);
    QHash<QString, QString> loadedProfile; // the last profile opened, as loaded
    QString loadedProfilePath;

    // app/modulestate.cpp: the module's values, the fields that differ from them, Undo of a Read
    void setUpModuleState();
    // A read run's reply to command.
    void takeModuleReply(const QString &command, const QString &reply);
    // A write entry the module acknowledged ("ID", "3333").
    void takeWrittenValue(const QString &command, const QString &value);
    // A job on the module's settings has started, or ended.
    void beforeSettingsJob(JobKind kind);
    void afterSettingsJob(JobKind kind);
    QHash<QString, QString> formValues() const; // every written setting, empty fields too
    void putFormValues(const QHash<QString, QString> &values);
    void onFormEdited();
    void refreshDifferences();
    QHash<QString, QString> unwrittenValues() const; // by command: what the module does not hold
    QStringList unwrittenChanges() const;            // their commands, in catalogue order
    // Offers Undo for the values of before that the form no longer holds, replaced by replacer ("Read").
    void offerUndoOfReplaced(const QHash<QString, QString> &before, const QString &replacer);
    void offerUndo(const QHash<QString, QString> &values, const QString &replacer);
    void withdrawUndo();
    ModuleValues moduleValues;
    QHash<QString, QString> formAtStart;      // what the user had changed nothing in
    QHash<QString, QString> valuesBeforeRead; // unwritten values a Read under way may replace
    QHash<QString, QString> undoValues;       // what Undo puts back
    QString undoOffer;
    bool fillingFromModule = false;
    bool configurationFollowsModule = false; // a read moves cmbConfiguration: no preset

    // app/unsavedwork.cpp: questions before work is lost
    bool samplesMayGo(); // true once exported or discarded; asks only if some were not exported

    // app/statusline.cpp: the line at the bottom of the window
    QString idleStatus(const QStringList &differing) const;
    QString statusNews; // empty: the status line tells the unwritten changes

    // app/rangetest.cpp: test lines, packet-loss figures and the Start/Stop button's two faces
    void sendTestLine();
    void handleTestLine(const QString &line);
    void noteLineDuringRun(const QByteArray &data);
    void handleRssiReply(const QString &response);
    void showTestStatistics();
    void setStartTestRunning(bool running);
    void stopTransmitterOnClosedPort();
    RangeTestStatistics testStatistics;
    // The mode whose test runs; a click on it changes nothing.
    bool receiverChosen = false;
    bool lineTakenIdle = false; // the line just received reached handleTestLine
    bool tickPending = false;   // a tick fell inside a run: its line goes out at the run's end

    // app/rangetestseats.cpp: range test from both seats: the receiver's replies and
    // silence, the transmitter's figures and its own RSSI query
    enum class RangeQuery { None, Receiver, Transmitter }; // whose "DB" query is under way
    void setUpRangeSeats();
    void startRssiQuery(RangeQuery whose);
    void afterRangeRun(const RunOutcome &outcome);
    void handleHeardReply(const HeardReply &reply);
    void startOurRssiQuery();
    void answerTransmitter(const RunOutcome &outcome);
    void resetRangeSeats();
    void updateStatisticsTimer();
    void setStatisticsSilent(bool silent);
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
    QList<HeardReply> repliesDue;          // the receiver's answers, sent once no run is under way
    std::optional<quint32> queriedCounter; // the line the receiver's query measures

    // app/windowfit.cpp: the window's height follows what it shows
    int neededHeight() const;
    void takeBackHeight(int neededBefore); // after widgets were hidden

    // app/rssichart.cpp: the RSSI chart and its export
    void addRssiSample(int rssi);
    bool exportSamples(); // true when the file was written
    QString askExportFileName();
    int unexportedSamples() const;
    qint32 exportedUpTo = 0; // sampleCounter at the last export
    QString exportFolder;    // of the last export in this run

    // app/console.cpp, app/consolestay.cpp: the Console tab (Guru level
    // only): every byte on the line in the monitor, and a line edit that
    // sends text over the air, or AT commands in the console's own stay in
    // command mode, which nothing else interrupts
    void setUpConsole();
    void showConsole(bool shown);
    void onConsoleTabShown(bool shown);
    void refreshConsole();
    void onMonitorBytes(const QList<MonitorChunk> &chunks);
    void onSaveLogClicked();
    void onConsoleSend();
    void sendOverTheAir(const QString &typed);
    bool sendAnyway(const QString &line, const QStringList &warnings);
    void onCommandModeClicked();
    void onConsoleAnswered(const QString &line, const QStringList &replies);
    void onConsoleUartFollowed();
    void onConsoleStayFinished(const JobOutcome &outcome);
    // A Read, Write or range test asked for while the console holds command mode: says so, true.
    bool consoleRefuses(const QString &title);
    QString consoleStateText() const;
    MonitorView *monitorView = nullptr;
    ConsoleInput *consoleInput = nullptr;
    QTimer *consoleTimer = nullptr;
    QPointer<AtStay> consoleStay;
    QString consoleNotice; // how the last stay ended, until the next one
};

#endif // FENDRAKEXBEECONFIGURATORDIALOG_H
