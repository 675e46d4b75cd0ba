#ifndef ATSTAY_H
#define ATSTAY_H

#include "logic/joboutcome.h"

#include <QObject>

#include <optional>

class CommandSession;

struct AtStayRequest
{
    // tarnowick-cli at: sent in order, then the stay is left, or at the
    // first "ERROR". Empty: the window's console, which sends line by line.
    QStringList lines;
    bool force = false; // lines that cut the PC off go out too
    // The programming record of an ATWR; empty logPath: none.
    QString logPath;
    QString program; // "tarnowick 1.0.1 (82db844)"
    QString port;
};

// One stay in the module's command mode for commands a technician types —
// the window's console or tarnowick-cli at — on the session's engine. Each
// line ("ATNO", "SM 0") goes out once the module has answered the one
// before; a line that would cut the PC off is caught before it goes out; an
// ATWR the module took is recorded like a write, with what the stay set and
// the module's serial number (asked for in the stay when not yet known).
class AtStay : public QObject
{
    Q_OBJECT

public:
    AtStay(CommandSession &session, const AtStayRequest &request, QObject *parent = nullptr);
    ~AtStay() override;

    // What the line would do to the link, one text per danger; none when it is safe.
    QStringList warnings(const QString &line) const;

    // A batch whose lines cut the PC off, unforced, or hold an ATCN, ends
    // before "+++". False (and nothing happens) while the session is busy.
    bool start();
    // In command mode and waiting for the technician's next line.
    bool isReady() const;
    // A line as typed ("AT" is added when missing); an ATCN leaves. False
    // (and nothing is sent) unless ready.
    bool send(const QString &typed);
    void leave();
    // Ctrl-C: no further line, command mode left.
    void interrupt();
    bool isFinished() const { return done; }

signals:
    void ready();
    void answered(const QString &line, const QStringList &replies);
    void finished(const JobOutcome &outcome);

private:
    struct Sent
    {
        QString line;
        bool own = false; // the stay's question for the record, not the technician's
    };

    QString problemBeforeStart() const; // one problem a line
    void onHeld();
    void onAnswered(const QString &entry, const QStringList &replies);
    void noteReplies(const QString &line, const QStringList &replies);
    void onRunFinished(const RunOutcome &run);
    void transmit(const QString &line, bool own);
    void finish(JobOutcome outcome);
    std::optional<ProgrammingRecord> record(const RunOutcome &run) const;
    void appendRecord(JobOutcome &outcome) const;

    CommandSession &session;
    AtStayRequest req;
    QList<QMetaObject::Connection> connections;
    std::optional<Sent> awaited;
    QStringList ownQueue; // questions of the stay's own, before the next line
    int nextLine = 0;     // of a batch
    int linesSent = 0;    // the technician's
    QString refusedLine;  // a batch's line answered "ERROR"
    QList<QPair<QString, QStringList>> answers;
    SettingValues known;     // values the stay's queries returned, by command
    SettingValues taken;     // settings acknowledged in the stay
    SettingValues stored;    // what the last acknowledged WR stored
    QStringList refusedSets; // "ID=99999"
    bool writeTaken = false;
    int startRate = 0;
    bool done = false;
};

#endif // ATSTAY_H
