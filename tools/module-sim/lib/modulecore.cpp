#include "modulecore.h"

#include "uartrate.h"

#include <utility>

namespace {

constexpr int MaxLineLength = 256;
// Radio data kept back while the host is in command mode.
constexpr qsizetype MaxHeldRadioBytes = 64 * 1024;
// What the module holds back while it waits for RTS; a real one has far
// less room.
constexpr qsizetype MaxHeldRtsBytes = 64 * 1024;
constexpr char Backspace = 0x08;
constexpr char Delete = 0x7F;
const QByteArray Ok("OK");
const QByteArray Error("ERROR");

QList<StartValue> startValues(const ModuleConfig &config)
{
    const std::pair<const char *, std::optional<quint32>> options[] = {{"GT", config.guardTime},
                                                                       {"CT", config.commandTimeout},
                                                                       {"BD", config.uartRateIndex},
                                                                       {"NB", config.parity},
                                                                       {"SB", config.stopBits}};
    QList<StartValue> values;
    for (const auto &[name, value] : options) {
        if (value)
            values.append({name, *value});
    }
    return values;
}

} // namespace

ModuleCore::ModuleCore(const ModuleConfig &config, const Clock &clock, RegisterStore *store, QObject *parent)
    : QObject(parent)
    , config(config)
    , clock(clock)
    , memory(config.letter, config.serialLow, store, startValues(config))
    , uart(config.strictFraming)
    , bank(memory.registers())
{
    connect(&uart, &ModuleUart::eventLogged, this, &ModuleCore::eventLogged);
    applySettings(UartChange::Apply, clock.nowMs());
}

QChar ModuleCore::letter() const
{
    return config.letter;
}

bool ModuleCore::inCommandMode() const
{
    return commandMode;
}

bool ModuleCore::isAsleep() const
{
    // A module does not sleep while it is in command mode.
    return !commandMode && active.value("SM") != 0;
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

UartSettings ModuleCore::uartSettings() const
{
    return UartSettings{uartBaudRate(), active.value("NB"), active.value("SB")};
}

const RegisterBank &ModuleCore::registers() const
{
    return bank;
}

void ModuleCore::setHostLine(const HostLine *line)
{
    uart.setHostLine(line);
}

void ModuleCore::receiveFromHost(const QByteArray &bytes)
{
    queueHostBytes(bytes, false);
}

void ModuleCore::receiveAtModuleRate(const QByteArray &bytes)
{
    queueHostBytes(bytes, true);
}

void ModuleCore::queueHostBytes(const QByteArray &bytes, bool atModuleSettings)
{
    // What was due before these bytes came happens first.
    processTimers();
    if (!uart.fromHost(bytes, clock.nowMs(), atModuleSettings, uartSettings())) {
        emit problemReported(QStringLiteral("module %1: %2 bytes from the host dropped, the serial line is full")
                                 .arg(config.letter)
                                 .arg(bytes.size()));
    }
    emit deadlineChanged();
}

void ModuleCore::receiveFromRadio(const QByteArray &payload, int rssiDbm)
{
    processTimers();
    if (isAsleep())
        return;
    bank.setReadOnly("DB", quint32(qBound(0, -rssiDbm, 0xFF)));
    if (!commandMode) {
        sendToHost(payload, clock.nowMs());
    } else if (heldRadioBytes + payload.size() <= MaxHeldRadioBytes) {
        // The host is talking to the module; the data waits so that it is
        // not taken for a command reply.
        heldRadioData.append(payload);
        heldRadioBytes += payload.size();
    } else {
        emit problemReported(QStringLiteral("module %1: %2 received bytes dropped while in command mode")
                                 .arg(config.letter)
                                 .arg(payload.size()));
    }
    emit deadlineChanged();
}

void ModuleCore::restart()
{
    uart.clear();
    escape = EscapeDetector();
    packetizer = Packetizer();
    commandMode = false;
    lineBuffer.clear();
    lineOverflow = false;
    heldRadioData.clear();
    heldRadioBytes = 0;
    heldForRts.clear();
    bank = memory.registers();
    applySettings(UartChange::Apply, clock.nowMs());
    emit eventLogged(QStringLiteral("power cut: restarted with the stored settings"));
    logSleep();
    emit deadlineChanged();
}

void ModuleCore::wake()
{
    if (!isAsleep())
        return;
    bank.set("SM", "0");
    active.set("SM", "0");
    emit eventLogged(QStringLiteral("woken: SM 0 until the power goes"));
    emit deadlineChanged();
}

void ModuleCore::factoryReset()
{
    QString error;
    if (memory.restoreFactory(&error))
        emit eventLogged(QStringLiteral("factory settings stored"));
    else
        emit problemReported(QStringLiteral("module %1: factory settings not stored: %2").arg(config.letter, error));
    restart();
}

void ModuleCore::processTimers()
{
    const qint64 now = clock.nowMs();
    // Everything that happened by now, in the order it happened; a timer
    // goes before a byte that arrives in the same millisecond.
    for (;;) {
        const std::optional<qint64> timerDue = modeDeadline();
        const std::optional<qint64> byteDue = uart.nextByteArrival();
        if (timerDue && *timerDue <= now && (!byteDue || *timerDue <= *byteDue)) {
            runModeTimers(*timerDue);
            continue;
        }
        // Read with the settings of the moment: an "ATCN" earlier in the
        // same write may have switched the module to another rate.
        const std::optional<ModuleUart::Byte> byte = uart.takeByte(now, uartSettings());
        if (!byte)
            break;
        takeHostByte(byte->value, byte->arrivalMs);
    }
    for (const QByteArray &bytes : uart.delivered(now))
        emit hostOutput(bytes);
}

std::optional<qint64> ModuleCore::nextDeadline() const
{
    std::optional<qint64> earliest;
    for (const std::optional<qint64> &due : {modeDeadline(), uart.nextByteArrival(), uart.nextDelivery()}) {
        if (due && (!earliest || *due < *earliest))
            earliest = due;
    }
    return earliest;
}

std::optional<qint64> ModuleCore::modeDeadline() const
{
    if (commandMode)
        return lastValidCommandMs + commandTimeoutMs();
    const std::optional<qint64> escapeDue = escape.deadline();
    const std::optional<qint64> packetDue = packetizer.deadline();
    if (escapeDue && packetDue)
        return qMin(*escapeDue, *packetDue);
    return escapeDue ? escapeDue : packetDue;
}

void ModuleCore::runModeTimers(qint64 atMs)
{
    if (commandMode) {
        if (atMs - lastValidCommandMs >= commandTimeoutMs())
            leaveCommandMode(QStringLiteral("CT elapsed"), atMs);
        return;
    }
    QByteArray released;
    const bool escaped = escape.poll(atMs, &released);
    takeTransparentData(released, atMs);
    if (escaped) {
        enterCommandMode(atMs);
        return;
    }
    const QByteArray packet = packetizer.poll(atMs);
    if (!packet.isEmpty())
        transmit({packet});
}

void ModuleCore::takeHostByte(char byte, qint64 atMs)
{
    // Asleep, the module does not listen to its UART.
    if (isAsleep())
        return;
    if (commandMode)
        takeCommandByte(byte, atMs);
    else
        takeTransparentData(escape.feed(byte, atMs), atMs);
}

void ModuleCore::takeTransparentData(const QByteArray &data, qint64 atMs)
{
    transmit(packetizer.append(data, atMs));
}

void ModuleCore::takeCommandByte(char byte, qint64 atMs)
{
    escape.noteActivity(atMs);
    switch (byte) {
    case '\r':
    case '\n': { // some terminals end lines with LF; CR LF gives a blank line, ignored
        const QByteArray line = lineBuffer;
        const bool overflow = lineOverflow;
        lineBuffer.clear();
        lineOverflow = false;
        if (overflow)
            reply(Error, atMs);
        else if (!line.trimmed().isEmpty())
            executeLine(line, atMs);
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

void ModuleCore::enterCommandMode(qint64 atMs)
{
    // Whatever the host sent before the escape goes out first.
    const QByteArray rest = packetizer.flush();
    if (!rest.isEmpty())
        transmit({rest});
    commandMode = true;
    lineBuffer.clear();
    lineOverflow = false;
    lastValidCommandMs = atMs;
    emit eventLogged(QStringLiteral("entered command mode"));
    reply(Ok, atMs);
}

void ModuleCore::leaveCommandMode(const QString &reason, qint64 atMs)
{
    commandMode = false;
    applySettings(UartChange::Apply, atMs);
    emit eventLogged(QStringLiteral("left command mode (%1)").arg(reason));
    const QList<QByteArray> held = heldRadioData;
    heldRadioData.clear();
    heldRadioBytes = 0;
    logSleep();
    // What came over the air meanwhile goes out, unless the module has
    // gone to sleep.
    for (const QByteArray &payload : held) {
        if (!isAsleep())
            sendToHost(payload, atMs);
    }
}

void ModuleCore::logSleep()
{
    if (isAsleep())
        emit eventLogged(
            QStringLiteral("asleep (SM %1): no longer listens to its UART nor to the radio").arg(active.value("SM")));
}

void ModuleCore::executeLine(const QByteArray &line, qint64 atMs)
{
    QList<AtCommand> commands;
    if (!parseAtLine(line, &commands)) {
        reply(Error, atMs);
        return;
    }
    if (commands.isEmpty()) {
        lastValidCommandMs = atMs;
        reply(Ok, atMs);
        return;
    }
    for (const AtCommand &command : commands) {
        After after = After::Nothing;
        const QByteArray answer = execute(command, &after);
        reply(answer, atMs);
        // The rest of a chain is not run after a failure, so that for
        // example "ATID99999,WR" stores nothing.
        if (answer == Error)
            return;
        lastValidCommandMs = atMs;
        // Only after the reply: it still goes out at the old rate and
        // framing, so that the program learns that the command worked.
        if (after == After::Apply || after == After::ApplyButUart)
            applySettings(after == After::Apply ? UartChange::Apply : UartChange::Keep, atMs);
        if (after == After::Leave) {
            leaveCommandMode(QStringLiteral("ATCN"), atMs);
            return;
        }
    }
}

QByteArray ModuleCore::execute(const AtCommand &command, After *after)
{
    const QByteArray &name = command.name;
    const bool isAction = name == "CN" || name == "AC" || name == "WR" || name == "RE";
    if (isAction) {
        if (!command.parameter.isEmpty() || config.refused.contains(name))
            return Error;
        if (name == "WR")
            return writeRegisters(after);
        if (name == "RE") {
            // Like every set value, the factory settings take effect when
            // they are applied.
            bank.restoreDefaults();
            return Ok;
        }
        *after = name == "CN" ? After::Leave : After::Apply;
        return Ok;
    }
    const RegisterDefinition *definition = RegisterBank::find(name);
    if (!definition)
        return Error;
    // A text keeps its blanks: "ATNI GATE WEST".
    const QByteArray &value = definition->kind == RegisterKind::Text ? command.text : command.parameter;
    if (value.isEmpty())
        return bank.query(name);
    return set(name, value);
}

QByteArray ModuleCore::set(const QByteArray &name, const QByteArray &value)
{
    if (config.refused.contains(name) || !bank.set(name, value))
        return Error;
    const auto fault = config.faults.constFind(name);
    if (fault != config.faults.constEnd()) {
        // Checked when the fault was configured.
        bank.set(name, *fault);
        emit eventLogged(
            QStringLiteral("store fault: AT%1%2 answered OK, holds %3")
                .arg(QString::fromLatin1(name), QString::fromLatin1(value), QString::fromLatin1(bank.query(name))));
    }
    return Ok;
}

QByteArray ModuleCore::writeRegisters(After *after)
{
    QString error;
    if (!memory.write(bank, &error)) {
        emit problemReported(QStringLiteral("module %1: WR failed: %2").arg(config.letter).arg(error));
        return Error;
    }
    // A write run sends BD, NB, SB, WR and then CN: were the new rate or
    // framing to take effect here, the program would no longer understand
    // the replies to WR and CN.
    *after = After::ApplyButUart;
    emit eventLogged(QStringLiteral("settings stored"));
    return Ok;
}

void ModuleCore::applySettings(UartChange uart, qint64 atMs)
{
    const RegisterBank before = active;
    active = bank;
    if (uart == UartChange::Keep) {
        for (const char *name : {"BD", "NB", "SB"})
            active.set(name, QByteArray::number(before.value(name), 16));
    }
    escape.setGuardTime(active.value("GT"));
    packetizer.setTimeout(
        Packetizer::timeoutMs(active.value("RO"), active.value("BD"), active.value("NB"), active.value("SB")));
    if (!waitsForRts() && !heldForRts.isEmpty()) {
        emit eventLogged(QStringLiteral("RTS flow control off: %1 bytes held back go out").arg(heldForRts.size()));
        sendToHost(std::exchange(heldForRts, QByteArray()), atMs);
    }
}

bool ModuleCore::waitsForRts() const
{
    // D6 1 is RTS flow control, and a pseudo-terminal has no RTS line that
    // the program could raise.
    return active.value("D6") == 1;
}

void ModuleCore::reply(const QByteArray &text, qint64 atMs)
{
    if (config.silent) {
        emit eventLogged(QStringLiteral("silent: reply \"%1\" withheld").arg(QString::fromLatin1(text)));
        return;
    }
    sendToHost(text + '\r', atMs);
}

void ModuleCore::sendToHost(const QByteArray &bytes, qint64 atMs)
{
    if (waitsForRts()) {
        if (heldForRts.size() + bytes.size() <= MaxHeldRtsBytes)
            heldForRts.append(bytes);
        else
            emit problemReported(QStringLiteral("module %1: %2 bytes dropped, held back for RTS too long")
                                     .arg(config.letter)
                                     .arg(bytes.size()));
        return;
    }
    if (!uart.toHost(bytes, atMs, uartSettings())) {
        emit problemReported(QStringLiteral("module %1: %2 bytes for the host dropped, the serial line is full")
                                 .arg(config.letter)
                                 .arg(bytes.size()));
    }
}

qint64 ModuleCore::commandTimeoutMs() const
{
    return qint64(active.value("CT")) * 100;
}
