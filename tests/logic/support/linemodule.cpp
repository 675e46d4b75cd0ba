#include "linemodule.h"

#include "logic/commandsession.h"
#include "logic/configentries.h"

LineModule::LineModule(FakeClock &clock, const LineModuleSetup &setup)
    : clock(clock)
    , setup(setup)
    , commandMode(setup.inCommandMode)
{
    if (!setup.staleLine.isEmpty()) {
        const qint64 arrived = clock.nowMs() - 1;
        clock.at(clock.nowMs(), [this, arrived] { deliver(this->setup.staleLine, arrived); });
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
    const std::optional<QPair<QString, QString>> set = parseWriteEntry(entry);
    QString answer = setup.replies.value(entry, QStringLiteral("OK"));
    if (set && answer.contains(QLatin1String("OK")))
        held.insert(set->first, set->second);
    else if (setup.holds.contains(entry) || held.contains(entry))
        answer = setup.holds.value(entry, held.value(entry));
    if (entry == QLatin1String("CN") && answer.contains(QLatin1String("OK")))
        commandMode = false;
    if (answer != QLatin1String("-"))
        reply(answer, endMs + 2);
}

void LineModule::reply(const QString &line, qint64 atMs)
{
    const qint64 start = atMs < 0 ? clock.nowMs() : atMs;
    const qint64 arrives = start + qint64((line.size() + 1) * byteMs(setup.rate) + 0.5);
    clock.at(arrives, [this, line, arrives] { deliver(line, arrives); });
}

void LineModule::deliver(const QString &line, qint64 arrivedMs)
{
    // At another rate or parity the bytes arrive as junk without a line end;
    // what the program dropped after it arrived never reaches it.
    if (session && !garbled() && arrivedMs > lastDiscardMs)
        session->takeLine(line.trimmed()); // as the ports hand lines on
}
