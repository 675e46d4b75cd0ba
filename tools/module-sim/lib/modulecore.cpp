#include "modulecore.h"

namespace {

constexpr int MaxLineLength = 256;
// Radio data kept back while the host is in command mode.
constexpr qsizetype MaxHeldRadioBytes = 64 * 1024;
constexpr char Backspace = 0x08;
constexpr char Delete = 0x7F;
const QByteArray Ok("OK");
const QByteArray Error("ERROR");

} // namespace

ModuleCore::ModuleCore(const ModuleConfig &config, const Clock &clock, RegisterStore *store, QObject *parent)
    : QObject(parent)
    , config(config)
    , clock(clock)
    , store(store)
    , bank(config.serialLow)
{
    QString ignored;
    // The store checked its contents when it was loaded.
    if (store)
        bank.restore(store->storedRegisters(config.letter), &ignored);
    if (config.guardTime)
        bank.set("GT", QByteArray::number(*config.guardTime, 16));
    if (config.commandTimeout)
        bank.set("CT", QByteArray::number(*config.commandTimeout, 16));
    if (config.uartRateIndex)
        bank.set("BD", QByteArray::number(*config.uartRateIndex, 16));
    applySettings(UartRate::Apply);
}

QChar ModuleCore::letter() const
{
    return config.letter;
}

bool ModuleCore::inCommandMode() const
{
    return commandMode;
}

quint32 ModuleCore::panId() const
{
    return active.value("ID");
}

quint32 ModuleCore::channelMask() const
{
    return active.value("CM");
}

int ModuleCore::uartBaudRate() const
{
    return uartRateOfIndex(active.value("BD"));
}

const RegisterBank &ModuleCore::registers() const
{
    return bank;
}

void ModuleCore::setHostLine(const HostLine *line)
{
    hostLine = line;
}

void ModuleCore::receiveFromHost(const QByteArray &bytes)
{
    takeHostBytes(bytes, hostLine ? hostLine->hostBaudRate() : 0);
}

void ModuleCore::receiveAtModuleRate(const QByteArray &bytes)
{
    takeHostBytes(bytes, 0);
}

void ModuleCore::takeHostBytes(const QByteArray &bytes, int hostBaud)
{
    // A byte can come in after a deadline whose timer has not fired yet.
    processTimers();
    const qint64 now = clock.nowMs();
    for (char byte : bytes) {
        // Checked byte by byte: an "ATCN" earlier in the same write may have
        // switched the module to another rate. Junk still reaches the module,
        // as a real UART hands on what it makes of a wrong rate.
        if (!lineMatches(hostBaud))
            byte = garbleByte(byte);
        if (commandMode)
            takeCommandByte(byte, now);
        else
            takeTransparentData(escape.feed(byte, now), now);
    }
}

void ModuleCore::receiveFromRadio(const QByteArray &payload, int rssiDbm)
{
    bank.setReadOnly("DB", quint32(qBound(0, -rssiDbm, 0xFF)));
    if (!commandMode) {
        sendToHost(payload);
        return;
    }
    // The host is talking to the module; the data waits so that it is not
    // taken for a command reply.
    if (heldRadioBytes + payload.size() > MaxHeldRadioBytes) {
        emit problemReported(QStringLiteral("module %1: %2 received bytes dropped while in command mode")
                                 .arg(config.letter)
                                 .arg(payload.size()));
        return;
    }
    heldRadioData.append(payload);
    heldRadioBytes += payload.size();
}

void ModuleCore::processTimers()
{
    const qint64 now = clock.nowMs();
    if (commandMode) {
        if (now - lastValidCommandMs >= commandTimeoutMs())
            leaveCommandMode(QStringLiteral("CT elapsed"));
        return;
    }
    QByteArray released;
    const bool escaped = escape.poll(now, &released);
    takeTransparentData(released, now);
    if (escaped) {
        enterCommandMode(now);
        return;
    }
    const QByteArray packet = packetizer.poll(now);
    if (!packet.isEmpty())
        transmit({packet});
}

std::optional<qint64> ModuleCore::nextDeadline() const
{
    if (commandMode)
        return lastValidCommandMs + commandTimeoutMs();
    const std::optional<qint64> escapeDue = escape.deadline();
    const std::optional<qint64> packetDue = packetizer.deadline();
    if (escapeDue && packetDue)
        return qMin(*escapeDue, *packetDue);
    return escapeDue ? escapeDue : packetDue;
}

void ModuleCore::takeTransparentData(const QByteArray &data, qint64 nowMs)
{
    transmit(packetizer.append(data, nowMs));
}

void ModuleCore::takeCommandByte(char byte, qint64 nowMs)
{
    escape.noteActivity(nowMs);
    switch (byte) {
    case '\r':
    case '\n': { // some terminals end lines with LF; CR LF gives a blank line, ignored
        const QByteArray line = lineBuffer;
        const bool overflow = lineOverflow;
        lineBuffer.clear();
        lineOverflow = false;
        if (overflow)
            reply(Error);
        else if (!line.trimmed().isEmpty())
            executeLine(line);
        break;
    }
    case Backspace:
    case Delete: // typing by hand
        lineBuffer.chop(1);
        break;
    default:
        if (lineBuffer.size() < MaxLineLength)
            lineBuffer.append(byte);
        else
            lineOverflow = true;
    }
}

void ModuleCore::transmit(const QList<QByteArray> &packets)
{
    for (const QByteArray &packet : packets)
        emit radioTransmit(packet);
}

void ModuleCore::enterCommandMode(qint64 nowMs)
{
    // Whatever the host sent before the escape goes out first.
    const QByteArray rest = packetizer.flush();
    if (!rest.isEmpty())
        transmit({rest});
    commandMode = true;
    lineBuffer.clear();
    lineOverflow = false;
    lastValidCommandMs = nowMs;
    emit eventLogged(QStringLiteral("entered command mode"));
    reply(Ok);
}

void ModuleCore::leaveCommandMode(const QString &reason)
{
    commandMode = false;
    applySettings(UartRate::Apply);
    emit eventLogged(QStringLiteral("left command mode (%1)").arg(reason));
    const QList<QByteArray> held = heldRadioData;
    heldRadioData.clear();
    heldRadioBytes = 0;
    for (const QByteArray &payload : held)
        sendToHost(payload);
}

void ModuleCore::executeLine(const QByteArray &line)
{
    QList<AtCommand> commands;
    if (!parseAtLine(line, &commands)) {
        reply(Error);
        return;
    }
    if (commands.isEmpty()) {
        lastValidCommandMs = clock.nowMs();
        reply(Ok);
        return;
    }
    for (const AtCommand &command : commands) {
        After after = After::Nothing;
        const QByteArray answer = execute(command, &after);
        reply(answer);
        // The rest of a chain is not run after a failure, so that for
        // example "ATID99999,WR" stores nothing.
        if (answer == Error)
            return;
        lastValidCommandMs = clock.nowMs();
        // Only after the reply: it still goes out at the old rate, so that
        // the program learns that the command worked.
        if (after == After::Apply)
            applySettings(UartRate::Apply);
        if (after == After::Leave) {
            leaveCommandMode(QStringLiteral("ATCN"));
            return;
        }
    }
}

QByteArray ModuleCore::execute(const AtCommand &command, After *after)
{
    const QByteArray &name = command.name;
    const bool isAction = name == "CN" || name == "AC" || name == "WR";
    if (isAction) {
        if (!command.parameter.isEmpty() || config.refused.contains(name))
            return Error;
        if (name == "WR")
            return writeRegisters();
        *after = name == "CN" ? After::Leave : After::Apply;
        return Ok;
    }
    if (!RegisterBank::find(name))
        return Error;
    if (command.parameter.isEmpty())
        return bank.query(name);
    if (config.refused.contains(name))
        return Error;
    return bank.set(name, command.parameter) ? Ok : Error;
}

QByteArray ModuleCore::writeRegisters()
{
    QString error;
    if (store && !store->store(config.letter, bank.storedState(), &error)) {
        emit problemReported(QStringLiteral("module %1: WR failed: %2").arg(config.letter).arg(error));
        return Error;
    }
    // A write run sends BD, WR and then CN: were the new rate to take effect
    // here, the program would no longer understand the replies to WR and CN.
    applySettings(UartRate::Keep);
    emit eventLogged(QStringLiteral("settings stored"));
    return Ok;
}

void ModuleCore::applySettings(UartRate uartRate)
{
    const quint32 bdInEffect = active.value("BD");
    active = bank;
    if (uartRate == UartRate::Keep)
        active.set("BD", QByteArray::number(bdInEffect, 16));
    escape.setGuardTime(active.value("GT"));
    packetizer.setTimeout(
        Packetizer::timeoutMs(active.value("RO"), active.value("BD"), active.value("NB"), active.value("SB")));
}

void ModuleCore::reply(const QByteArray &text)
{
    if (config.silent) {
        emit eventLogged(QStringLiteral("silent: reply \"%1\" withheld").arg(QString::fromLatin1(text)));
        return;
    }
    sendToHost(text + '\r');
}

void ModuleCore::sendToHost(const QByteArray &bytes)
{
    const bool matches = lineMatches(hostLine ? hostLine->hostBaudRate() : 0);
    emit hostOutput(matches ? bytes : garbleBytes(bytes));
}

bool ModuleCore::lineMatches(int hostBaud)
{
    const int moduleBaud = uartBaudRate();
    if (ratesMatch(hostBaud, moduleBaud)) {
        // An unknown host rate says nothing about whether the mismatch is over.
        if (reportedMismatch && hostBaud > 0) {
            reportedMismatch.reset();
            emit eventLogged(QStringLiteral("rates match again: %1").arg(moduleBaud));
        }
        return true;
    }
    const QPair<int, int> rates(hostBaud, moduleBaud);
    if (reportedMismatch != rates) {
        reportedMismatch = rates;
        emit eventLogged(QStringLiteral("rate mismatch: host %1, module %2").arg(hostBaud).arg(moduleBaud));
    }
    return false;
}

qint64 ModuleCore::commandTimeoutMs() const
{
    return qint64(active.value("CT")) * 100;
}
