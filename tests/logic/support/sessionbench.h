#ifndef SESSIONBENCH_H
#define SESSIONBENCH_H

#include "fakeclock.h"
#include "linemodule.h"
#include "logic/commandsession.h"

#include <QList>
#include <QStringList>

// A command-mode session on a module on a scripted line, with every run's
// outcome and when it came.
struct SessionBench
{
    explicit SessionBench(const LineModuleSetup &setup = {}, int portRate = 9600)
        : module(clock, setup)
        , session(module, clock)
    {
        module.attach(&session);
        module.setPortRate(portRate);
        session.setPortRate(portRate);
        QObject::connect(&session, &CommandSession::runFinished, [this](const RunOutcome &outcome) {
            outcomes.append(outcome);
            endedAtMs.append(clock.nowMs());
        });
    }

    // What went over the line, without the times: "+++", "CN", "ID=1/115200".
    QStringList sent() const
    {
        QStringList tokens;
        for (const QString &token : module.wire())
            tokens.append(token.section('@', 0, 0) + (token.contains('/') ? '/' + token.section('/', 1) : QString()));
        return tokens;
    }

    FakeClock clock;
    LineModule module;
    CommandSession session;
    QList<RunOutcome> outcomes;
    QList<qint64> endedAtMs;
};

#endif // SESSIONBENCH_H
