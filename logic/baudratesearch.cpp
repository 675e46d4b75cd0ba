#include "logic/baudratesearch.h"

#include "logic/baudrates.h"
#include "logic/linesilence.h"
#include "logic/replymapping.h"

BaudRateSearch::BaudRateSearch(const LineSilence &silence, QObject *parent)
    : QObject(parent)
    , silence(silence)
{
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, this, &BaudRateSearch::onTimeout);
}

void BaudRateSearch::start()
{
    attempt = -1;
    tryNext();
}

void BaudRateSearch::cancel()
{
    timer.stop();
    phase = Idle;
}

bool BaudRateSearch::takeLine(const QString &line)
{
    // Bytes at a wrong rate arrive as junk; only an acknowledgement counts.
    if (phase != AwaitingReply || !Reply::isAcknowledgement(line))
        return false;
    timer.stop();
    phase = Idle;
    emit writeRequested(QByteArrayLiteral("ATCN\r"));
    emit found(BaudRates::searchOrder().at(attempt));
    return true;
}

void BaudRateSearch::tryNext()
{
    ++attempt;
    if (attempt >= BaudRates::searchOrder().size()) {
        phase = Idle;
        emit exhausted();
        return;
    }
    emit trying(attempt, BaudRates::searchOrder().at(attempt));
    // The previous "+++" reached the module as junk, so the silence it needs
    // counts from there; the wait for its reply already counts towards it.
    phase = AwaitingSilence;
    timer.start(silence.remainingMs());
}

void BaudRateSearch::onTimeout()
{
    if (phase == AwaitingReply) {
        tryNext();
        return;
    }
    if (const int wait = silence.remainingMs()) {
        timer.start(wait);
        return;
    }
    phase = AwaitingReply;
    emit writeRequested(QByteArrayLiteral("+++"));
    timer.start(replyMs);
}
