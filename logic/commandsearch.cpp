// The baud-rate search of CommandSession: for each rate the port is switched,
// "+++" goes out once the line has been quiet for a guard time, and a line
// that is exactly "OK" within the reply time means the module is there.
#include "logic/baudrates.h"
#include "logic/commandsession.h"
#include "logic/logging.h"
#include "logic/moduleport.h"

namespace {

int silenceMs(bool slowPass)
{
    return (slowPass ? CommandSession::longestGuardMs : CommandSession::factoryGuardMs) + CommandSession::guardMarginMs;
}

int replyMs(bool slowPass)
{
    return slowPass ? CommandSession::longestGuardMs + 500 : CommandSession::searchReplyMs;
}

} // namespace

int CommandSession::searchAttempts()
{
    return int(BaudRates::searchOrder().size());
}

void CommandSession::startSearch()
{
    if (isBusy())
        return;
    // The search's own "OK"s must not be taken for a failed run's late one.
    lateEscapeUntilMs.reset();
    searchUserRate = rate;
    searchAttempt = -1;
    searchSlowPass = false;
    searchNext();
}

void CommandSession::searchSwitchTo(int newRate)
{
    rate = newRate;
    port.setPortRate(newRate);
}

void CommandSession::searchNext()
{
    ++searchAttempt;
    if (searchAttempt >= searchAttempts()) {
        if (searchSlowPass) {
            searchPhase = SearchIdle;
            searchSwitchTo(searchUserRate);
            emit searchExhausted();
            return;
        }
        // Nothing at the factory guard time: a module set up with a longer
        // one answers only after it, and needs as much silence first.
        searchSlowPass = true;
        searchAttempt = 0;
    }
    const int next = BaudRates::searchOrder().at(searchAttempt);
    // The previous "+++" reached the module as junk, so the silence it needs
    // counts from there; the wait for its reply already counts towards it.
    searchPhase = SearchAwaitingSilence;
    searchSwitchTo(next);
    searchTimer->start(silenceRemainingMs(silenceMs(searchSlowPass)));
    // Last: whoever shows progress may process events, and finds the search in order.
    emit searchTrying(searchAttempt, next, searchSlowPass);
}

void CommandSession::onSearchTimer()
{
    if (searchPhase == SearchAwaitingReply) {
        searchNext();
        return;
    }
    if (const int wait = silenceRemainingMs(silenceMs(searchSlowPass))) {
        searchTimer->start(wait);
        return;
    }
    searchPhase = SearchAwaitingReply;
    escapeSentMs = clock.nowMs();
    searchTimer->start(replyMs(searchSlowPass));
    write(QByteArrayLiteral("+++"));
}

bool CommandSession::takeSearchReply(const QString &line)
{
    // Bytes at a wrong rate arrive as junk, which may contain "OK" by chance.
    if (searchPhase != SearchAwaitingReply || line != QLatin1String("OK"))
        return false;
    searchTimer->stop();
    searchPhase = SearchIdle;
    noteGuardTime();
    qCDebug(lcSerial) << "Module found at" << rate << "baud";
    write(QByteArrayLiteral("ATCN\r"));
    emit searchFound(rate);
    return true;
}

void CommandSession::cancelSearch()
{
    if (!searching())
        return;
    const bool escapeMayBeTaken = searchPhase == SearchAwaitingReply;
    searchTimer->stop();
    searchPhase = SearchIdle;
    // The module may have just entered command mode at this rate; it would
    // sit there until its own time-out.
    if (escapeMayBeTaken)
        write(QByteArrayLiteral("ATCN\r"));
    searchSwitchTo(searchUserRate);
}
