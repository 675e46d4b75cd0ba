#ifndef BENCHJOB_H
#define BENCHJOB_H

#include "logic/commandsession.h"
#include "logic/profilefile.h"
#include "logic/readback.h"

#include <QCoreApplication>
#include <QObject>

#include <functional>

// What tarnowick-cli was asked to do.
struct BenchRequest
{
    enum Command { Read, Save, Write, Search, Check, History };

    Command command = Read;
    QString port;
    int baud = 9600;
    bool search = false; // search the rates when the module does not answer
    bool json = false;
    QString file;           // save: where to; write and check: the profile read
    SettingValues settings; // write and check: the profile's settings, checked
    bool verify = true;     // write: read back what was written
    QString logPath;        // the programming record
    QString program;        // "tarnowick-cli 1.0.1 (82db844)", for the record
    QString moduleFilter;   // history: only this serial number (SL)
};

// Exit statuses of tarnowick-cli.
enum BenchStatus { BenchDone = 0, BenchModuleFailed = 1, BenchUsageError = 2 };

// One job of a production bench on a command-mode session: a read, a save
// to a profile, a write of a profile or a search, each in reply-driven
// pacing. Results go to output (standard output), problems and notes to
// message (standard error); finished() carries the exit status.
class BenchJob : public QObject
{
    Q_OBJECT

public:
    BenchJob(CommandSession &session, const BenchRequest &request, QObject *parent = nullptr);
    void start();

signals:
    void output(const QString &line);
    void message(const QString &line);
    void progress(const QString &text); // "Reading 12/20…"; empty when done
    void finished(int status);

private:
    void startRun();
    void onRunFinished(const RunOutcome &outcome);
    void onEntrySent(int index);
    void onSearchTrying(int attempt, int rate);
    void onSearchFound(int rate);
    void onSearchExhausted();
    bool searchInstead(const RunOutcome &outcome);
    void finishRead(const RunOutcome &outcome);
    void finishSave(const RunOutcome &outcome);
    void finishWrite(const RunOutcome &outcome);
    void finishCheck(const RunOutcome &outcome);
    bool record(const RunOutcome &outcome, const ReadBack *readBack);
    void fail(const QString &text, int status = BenchModuleFailed);
    void done(int status);

    CommandSession &session;
    BenchRequest request;
    QStringList entries;
    int writeRate = 0; // the port's rate when the run started; a written BD moves it
    bool searched = false;
    bool ended = false;
};

// Prints the programming record (history); the exit status.
int printHistory(const BenchRequest &request, const std::function<void(const QString &)> &output,
                 const std::function<void(const QString &)> &message);

// The module's values by command from a read's replies, as the window's
// fields hold them (a combo's item index); replies no field takes are left out.
SettingValues readValues(const RunOutcome &outcome, bool writtenOnly);

#endif // BENCHJOB_H
