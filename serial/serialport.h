#ifndef SERIALPORT_H
#define SERIALPORT_H

#include "logic/lineframer.h"
#include "logic/monitorlog.h"

#include <QObject>
#include <QSerialPort>

class QTimer;

// Owns the program's one serial port and runs in a thread of its own. It
// opens the port the dialog names, writes what it is given and hands back
// the received bytes one carriage-return-terminated line at a time.
class SerialPort : public QObject
{
    Q_OBJECT

public:
    explicit SerialPort(QObject *parent = nullptr);
    ~SerialPort() override;

signals:
    void port_open(bool open);
    // Why the port could not be opened or stopped working, as the system
    // says it ("Permission denied"); comes just before port_open(false).
    void port_error(QString reason);
    // The open port stopped working (the adapter was pulled out); comes before port_error.
    void port_lost();
    void data_received(QByteArray data);
    // The port could not take this framing (parity as NB stores it, 1 even …); it keeps the one it had.
    void framing_refused(int parity, int stopBits);
    // The framings the open port can run: bit parity * 2 + stop bits (as NB and SB store them).
    void port_framings(quint32 framings);
    // What waited in the port has been dropped; lines come from bytes received after this.
    void input_discarded();
    // While monitoring: every byte written and read, with its time, a few
    // dozen milliseconds' worth at a time, and the port's openings.
    void monitor_bytes(QList<MonitorChunk> chunks);
    void finished();

public slots:
    void process();
    void onChangePort(QString port);
    void onChangeBaudRate(QSerialPort::BaudRate baudRate);
    void onChangeFraming(int parity, int stopBits);
    void onWriteData(QByteArray data);
    void onDiscardInput();
    void onSetMonitoring(bool on);
    void onFinish();

private slots:
    void onReadyRead();
    void onErrorOccurred(QSerialPort::SerialPortError error);

private:
    void reopen();
    quint32 usableFramings();
    void monitor(MonitorChunk::Kind kind, const QByteArray &bytes);
    void sendMonitored();

    QSerialPort *serial = nullptr;
    QString portName;
    QSerialPort::BaudRate baudRate = QSerialPort::Baud9600;
    LineFramer receiveBuffer;
    bool flushedUnread = false; // input was dropped since the last bytes were read
    bool monitoring = false;
    QList<MonitorChunk> monitored; // not yet sent to the window
    QTimer *monitorTimer = nullptr;
};

#endif // SERIALPORT_H
