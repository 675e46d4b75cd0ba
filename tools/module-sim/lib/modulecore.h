#ifndef MODULECORE_H
#define MODULECORE_H

#include "atcommandline.h"
#include "clock.h"
#include "escapedetector.h"
#include "packetizer.h"
#include "registerbank.h"
#include "registerstore.h"
#include "uartrate.h"

#include <QObject>
#include <QPair>
#include <QSet>
#include <optional>

struct ModuleConfig
{
    QChar letter = QLatin1Char('A');
    quint32 serialLow = 0;
    bool silent = false;                   // never answers in command mode
    QSet<QByteArray> refused;              // commands answered "ERROR" when set or run
    std::optional<quint32> guardTime;      // GT to start with, whatever was stored
    std::optional<quint32> commandTimeout; // CT to start with, whatever was stored
    std::optional<quint32> uartRateIndex;  // BD to start with, whatever was stored
};

// One XBee 868 module as seen from its serial line: transparent data into
// radio packets, received packets out again, and the AT command mode. It
// never looks at the wall clock: the owner calls processTimers() at
// nextDeadline(). When the program on the line runs at another rate than
// the module, every byte is garbled in both directions.
class ModuleCore : public QObject
{
    Q_OBJECT

public:
    ModuleCore(const ModuleConfig &config, const Clock &clock, RegisterStore *store = nullptr,
               QObject *parent = nullptr);

    QChar letter() const;
    bool inCommandMode() const;
    // The settings in effect; set values take effect after AC, WR or
    // leaving command mode, except the UART rate, which WR leaves alone.
    quint32 panId() const;
    quint32 channelMask() const;
    int uartBaudRate() const;
    const RegisterBank &registers() const;

    // Where the program's rate is read, whenever bytes come in or go out.
    // Without one the program always runs at the module's rate.
    void setHostLine(const HostLine *line);
    void receiveFromHost(const QByteArray &bytes);
    // Bytes of a program that always talks at the module's rate.
    void receiveAtModuleRate(const QByteArray &bytes);
    void receiveFromRadio(const QByteArray &payload, int rssiDbm);
    void processTimers();
    std::optional<qint64> nextDeadline() const;

signals:
    void hostOutput(const QByteArray &bytes);
    void radioTransmit(const QByteArray &payload);
    void eventLogged(const QString &text);
    void problemReported(const QString &text);

private:
    enum class After { Nothing, Apply, Leave };
    enum class UartRate { Apply, Keep };

    void takeHostBytes(const QByteArray &bytes, int hostBaud);
    void takeTransparentData(const QByteArray &data, qint64 nowMs);
    void takeCommandByte(char byte, qint64 nowMs);
    void transmit(const QList<QByteArray> &packets);
    void enterCommandMode(qint64 nowMs);
    void leaveCommandMode(const QString &reason);
    void executeLine(const QByteArray &line);
    QByteArray execute(const AtCommand &command, After *after);
    QByteArray writeRegisters();
    void applySettings(UartRate uartRate);
    void reply(const QByteArray &text);
    void sendToHost(const QByteArray &bytes);
    bool lineMatches(int hostBaud);
    qint64 commandTimeoutMs() const;

    ModuleConfig config;
    const Clock &clock;
    RegisterStore *store;
    const HostLine *hostLine = nullptr;
    std::optional<QPair<int, int>> reportedMismatch; // host and module rate last logged
    RegisterBank bank;                               // what the commands see
    RegisterBank active;                             // what the module works with
    EscapeDetector escape;
    Packetizer packetizer;
    bool commandMode = false;
    QByteArray lineBuffer;
    bool lineOverflow = false;
    qint64 lastValidCommandMs = 0;
    QList<QByteArray> heldRadioData;
    qsizetype heldRadioBytes = 0;
};

#endif // MODULECORE_H
