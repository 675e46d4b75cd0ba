#ifndef JOBTEXTS_H
#define JOBTEXTS_H

#include "logic/commandsession.h"
#include "logic/framing.h"

#include <QCoreApplication>
#include <QStringList>

// What the window and tarnowick-cli tell the technician about a job on a
// module, each text in one place so the two never say it differently.
class JobText
{
    Q_DECLARE_TR_FUNCTIONS(JobText)

public:
    // How a run ended, in a few words for a summary, a record or the status line: "the module did not answer".
    static QString runEnded(RunResult result);
    static QString noAnswer();
    static QString notEntered();
    static QString exitRefused();
    static QString portClosed();
    static QString refused(const QStringList &entries);
    static QString notStored();
    static QString wrote(int settings);
    static QString portFollowsRate(int rate);
    static QString rateUnreachable();
    static QString portFollowsFraming(const Framing &framing);
    // A write that would leave the module at a framing the port cannot run.
    static QString framingCutOff(const Framing &target, const Framing &current);
    static QString found(int rate);
    static QString searching();
    static QString searchFailed(const Framing &framing);
    static QString searchCancelled(int rate);
    static QString notRecorded(const QString &problem);
    static QString recordUnwritable(const QString &problem);
    static QString interruptedWrite(int sent, int total, bool stored);
    static QString interrupted();
    static QString saved(int settings);
    static QString fileNotWritten();
    static QString sameAsProfile();
    static QString differsFromProfile(const QString &command, const QString &module, const QString &profile);
    static QString noValue();
};

#endif // JOBTEXTS_H
