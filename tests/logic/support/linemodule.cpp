#include "linemodule.h"

#include "logic/baudrates.h"
#include "logic/commandsession.h"

LineModule::LineModule(FakeClock &clock, const LineModuleSetup &setup)
    : clock(clock)
    , setup(setup)
    , commandMode(setup.inCommandMode)
{
    if (!setup.staleLine.isEmpty()) {
        const qint64 arrived = clock.nowMs() - 1;
        clock.at(clock.nowMs(), [this, arrived] { deliver(this->setup.staleLine, arrived, garbled()); });
    }
}

void LineModule::setPortRate(int rate)
{
    port = rate;
}

void LineModule::writeToModule(const QByteArray &bytes)
{
    const qint64 start = clock.nowMs();
    const qint64 end = start + qint64(bytes.size() * byteMs(port) + 0.5);
    const bool command = bytes.startsWith("AT") && bytes.endsWith('\r');
    const QString entry = command ? QString::fromUtf8(bytes.mid(2, bytes.size() - 3)) : QString();
    const QString shown = bytes == "+++" ? QStringLiteral("+++") : command ? entry : QStringLiteral("data");
    emissions.append(shown + QLatin1Char('@') + QString::number(start)
                     + (port != 9600 ? QLatin1Char('/') + QString::number(port) : QString()));

    const qint64 silence = start - lastByteEndMs;
    lastByteEndMs = end;
    ++escapeAttempt; // any byte breaks the silence an escape waits for
    if (garbled())
        return; // junk to the module
    if (commandMode && command)
        takeCommand(entry, end);
    else if (!commandMode && bytes == "+++" && silence >= setup.guardMs)
        takeEscape(start, end);
}

void LineModule::takeEscape(qint64 startMs, qint64 endMs)
{
    const int attempt = escapeAttempt;
    const QString answer = setup.replies.value(QStringLiteral("+++"), QStringLiteral("OK"));
    if (!setup.strayLine.isEmpty())
        reply(setup.strayLine, startMs + 50);
    const qint64 due = setup.escapeReplyMs ? startMs + *setup.escapeReplyMs : endMs + setup.guardMs;
    clock.at(due, [this, attempt, answer] {
        if (attempt != escapeAttempt || answer == QLatin1String("-"))
            return; // the silence after "+++" was broken
        commandMode = answer.contains(QLatin1String("OK"));
        reply(answer);
    });
}

void LineModule::takeCommand(const QString &entry, qint64 endMs)
{
    // "ID=3333", "ID 3333" and "ID3333" set ID; "ID" asks for it.
    const QString command = entry.left(2).toUpper();
    QString value = entry.mid(2).trimmed();
    if (value.startsWith(QLatin1Char('=')))
        value = value.mid(1).trimmed();
    QString answer = setup.replies.value(entry, QStringLiteral("OK"));
    if (!value.isEmpty() && answer.contains(QLatin1String("OK")))
        held.insert(command, value);
    else if (value.isEmpty() && (setup.holds.contains(entry) || held.contains(entry)))
        answer = setup.holds.value(entry, held.value(entry));
    if (entry == QLatin1String("CN") && answer.contains(QLatin1String("OK")))
        commandMode = false;
    if (answer == QLatin1String("-"))
        return;
    // A chain's replies, one line per command. The reply to AC or CN still
    // goes out at the old rate and framing; the module talks at the new ones after it.
    const bool applies = entry == QLatin1String("CN") || entry == QLatin1String("AC");
    for (const QString &line : answer.split(QLatin1Char('\n')))
        reply(line, endMs + 2,
              applies && answer.contains(QLatin1String("OK")) ? [this] { applyUart(); } : std::function<void()>());
}

void LineModule::applyUart()
{
    if (held.contains(QStringLiteral("BD")))
        setup.rate = BaudRates::forBdIndex(held.value(QStringLiteral("BD")).toInt()).value_or(setup.rate);
    setup.framing = Framing{held.value(QStringLiteral("NB"), QString::number(setup.framing.parity)).toInt(),
                            held.value(QStringLiteral("SB"), QString::number(setup.framing.stopBits)).toInt()};
}

void LineModule::reply(const QString &line, qint64 atMs, std::function<void()> afterwards)
{
    const qint64 start = atMs < 0 ? clock.nowMs() : atMs;
    const qint64 arrives = start + qint64((line.size() + 1) * byteMs(setup.rate) + 0.5);
    clock.at(arrives, [this, line, arrives, afterwards] {
        // The line went out as the module was; what comes next, the program
        // may answer at once, and its answer meets the module as it is after.
        const bool lost = garbled();
        if (afterwards)
            afterwards();
        deliver(line, arrives, lost);
    });
}

void LineModule::deliver(const QString &line, qint64 arrivedMs, bool lost)
{
    // At another rate or parity the bytes arrive as junk without a line end;
    // what the program dropped after it arrived never reaches it.
    if (session && !lost && arrivedMs > lastDiscardMs)
        session->takeLine(line.trimmed()); // as the ports hand lines on
}
