#ifndef SERIALLINE_H
#define SERIALLINE_H

#include "logic/lineframer.h"
#include "logic/moduleport.h"

#include <QObject>
#include <QSerialPort>

class CommandSession;

// The command line's serial port: bytes out, lines in to the session.
class SerialLine : public QObject, public ModulePort
{
    Q_OBJECT

public:
    explicit SerialLine(QSerialPort &port, QObject *parent = nullptr);
    void attach(CommandSession *session) { this->session = session; }

    // Opens the port (name as the technician gave it) at the rate and framing the module
    // runs at; empty on success, else what he is told ("The port … is in use by another program.").
    static QString open(QSerialPort &port, const QString &name, int rate, const Framing &framing);

    void writeToModule(const QByteArray &bytes) override;
    void setPortRate(int rate) override;
    void setPortFraming(const Framing &framing) override;
    void discardInput() override;
    bool canUseFraming(const Framing &framing) const override;
    // Waits (bounded) until what was written has left, before the program ends.
    void drain();

signals:
    void framingRefused(const QString &text); // "The port cannot use even parity."

private:
    void onReadyRead();

    QSerialPort &port;
    CommandSession *session = nullptr;
    LineFramer framer;
};

#endif // SERIALLINE_H
