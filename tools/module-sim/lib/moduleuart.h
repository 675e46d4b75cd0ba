#ifndef MODULEUART_H
#define MODULEUART_H

#include "serialwire.h"
#include "uartframing.h"

#include <QObject>
#include <optional>

// The module's serial port and the line to the program's port: bytes take
// their time on the wire both ways, and arrive as junk when the two ends
// disagree on the rate or the framing.
class ModuleUart : public QObject
{
    Q_OBJECT

public:
    struct Byte
    {
        char value;
        qint64 arrivalMs;
    };

    explicit ModuleUart(bool strictFraming, QObject *parent = nullptr);

    // Where the program's rate and framing are read, when its bytes come in
    // and when the module's reach it. Without one the program always runs
    // as the module does.
    void setHostLine(const HostLine *line);

    // Bytes that the program writes at nowMs; false when the line is full.
    // atModuleSettings: a program that always talks as the module does.
    bool fromHost(const QByteArray &bytes, qint64 nowMs, bool atModuleSettings, const UartSettings &module);
    std::optional<qint64> nextByteArrival() const;
    // The next byte that has arrived by nowMs, as a module with these
    // settings reads it.
    std::optional<Byte> takeByte(qint64 nowMs, const UartSettings &module);

    // Bytes that the module starts to send at atMs; false when the line is full.
    bool toHost(const QByteArray &bytes, qint64 atMs, const UartSettings &module);
    std::optional<qint64> nextDelivery() const;
    // What has reached the program by nowMs, as it reads it.
    QList<QByteArray> delivered(qint64 nowMs);
    // Whatever is still on the line in either direction is lost, as when
    // the module loses its power.
    void clear();

signals:
    void eventLogged(const QString &text);

private:
    bool lineMatches(const std::optional<UartSettings> &host, const UartSettings &module);

    bool strictFraming;
    const HostLine *hostLine = nullptr;
    SerialWire inbound;
    SerialWire outbound;
    MismatchLog rateLog;
    MismatchLog framingLog;
};

#endif // MODULEUART_H
