#ifndef MODULECORE_H
#define MODULECORE_H

#include "atcommandline.h"
#include "clock.h"
#include "escapedetector.h"
#include "modulememory.h"
#include "moduleuart.h"
#include "packetizer.h"
#include "registerbank.h"
#include "uartframing.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <optional>

struct ModuleConfig
{
    QChar letter = QLatin1Char('A');
    quint32 serialLow = 0;
    bool silent = false;                   // never answers in command mode
    bool strictFraming = false;            // checks the second stop bit too
    QSet<QByteArray> refused;              // commands answered "ERROR" when set or run
    QHash<QByteArray, QByteArray> faults;  // command, value held instead of the one set
    std::optional<quint32> guardTime;      // GT to start with, whatever was stored
    std::optional<quint32> commandTimeout; // CT to start with, whatever was stored
    std::optional<quint32> uartRateIndex;  // BD to start with, whatever was stored
    std::optional<quint32> parity;         // NB to start with, whatever was stored
    std::optional<quint32> stopBits;       // SB to start with, whatever was stored
};

// One XBee 868 module as seen from its serial line: transparent data into
// radio packets, received packets out again, and the AT command mode. It
// never looks at the wall clock: the owner calls processTimers() at
// nextDeadline(). Bytes take their time on the serial line in both
// directions. When the program on the line runs at another rate or with
// other framing than the module, every byte is garbled in both directions.
class ModuleCore : public QObject
{
    Q_OBJECT

public:
    ModuleCore(const ModuleConfig &config, const Clock &clock, RegisterStore *store = nullptr,
               QObject *parent = nullptr);

    QChar letter() const;
    bool inCommandMode() const;
    // With SM other than 0 applied and out of command mode the module
    // sleeps: it neither listens to its UART nor hears the radio.
    bool isAsleep() const;
    // The settings in effect; set values take effect after AC, WR or
    // leaving command mode, except the UART's rate and framing, which WR
    // leaves alone.
    quint32 panId() const;
    quint32 channelMask() const;
    int uartBaudRate() const;
    UartSettings uartSettings() const;
    const RegisterBank &registers() const;

    // Where the program's rate and framing are read, when its bytes come in
    // and when the module's reach it. Without one the program always runs
    // as the module does.
    void setHostLine(const HostLine *line);
    void receiveFromHost(const QByteArray &bytes);
    // Bytes of a program that always talks as the module does.
    void receiveAtModuleRate(const QByteArray &bytes);
    void receiveFromRadio(const QByteArray &payload, int rssiDbm);
    // The power goes and comes back, as when the adapter is unplugged: the
    // module leaves command mode, loses what it was doing and starts with
    // what WR stored (or what it started with, without a WR).
    void restart();
    // As a wake pin would: SM becomes 0 until the next power cut.
    void wake();
    // The factory settings, stored (as "ATRE,WR"), and a restart with them;
    // the start options for GT and CT still win.
    void factoryReset();
    void processTimers();
    std::optional<qint64> nextDeadline() const;

signals:
    void hostOutput(const QByteArray &bytes);
    void radioTransmit(const QByteArray &payload);
    void eventLogged(const QString &text);
    void problemReported(const QString &text);
    // nextDeadline() may have moved.
    void deadlineChanged();

private:
    enum class After { Nothing, Apply, ApplyButUart, Leave };
    enum class UartChange { Apply, Keep };

    void queueHostBytes(const QByteArray &bytes, bool atModuleSettings);
    std::optional<qint64> modeDeadline() const;
    void runModeTimers(qint64 atMs);
    void takeHostByte(char byte, qint64 atMs);
    void takeTransparentData(const QByteArray &data, qint64 atMs);
    void takeCommandByte(char byte, qint64 atMs);
    void transmit(const QList<QByteArray> &packets);
    void enterCommandMode(qint64 atMs);
    void leaveCommandMode(const QString &reason, qint64 atMs);
    void logSleep();
    void executeLine(const QByteArray &line, qint64 atMs);
    QByteArray execute(const AtCommand &command, After *after);
    QByteArray set(const QByteArray &name, const QByteArray &value);
    QByteArray writeRegisters(After *after);
    void applySettings(UartChange uart, qint64 atMs);
    bool waitsForRts() const;
    void reply(const QByteArray &text, qint64 atMs);
    void sendToHost(const QByteArray &bytes, qint64 atMs);
    qint64 commandTimeoutMs() const;

    ModuleConfig config;
    const Clock &clock;
    ModuleMemory memory;
    ModuleUart uart;
    RegisterBank bank;   // what the commands see
    RegisterBank active; // what the module works with
    EscapeDetector escape;
    Packetizer packetizer;
    bool commandMode = false;
    QByteArray lineBuffer;
    bool lineOverflow = false;
    qint64 lastValidCommandMs = 0;
    QList<QByteArray> heldRadioData;
    qsizetype heldRadioBytes = 0;
    QByteArray heldForRts; // everything it would have sent while D6 is 1
};

#endif // MODULECORE_H
