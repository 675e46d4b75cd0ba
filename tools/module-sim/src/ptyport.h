#ifndef PTYPORT_H
#define PTYPORT_H

#include "uartframing.h"

#include <QObject>
#include <QString>

class QSocketNotifier;

// The module's end of a pseudo-terminal. The slave side is what a serial
// program opens as its port. The port keeps a slave descriptor of its own,
// so that a program can close and reopen the device at will without the
// master seeing a hang-up.
class PtyPort : public QObject, public HostLine
{
    Q_OBJECT

public:
    explicit PtyPort(QObject *parent = nullptr);
    ~PtyPort() override;

    bool open(QString *error);
    // Closes both ends: a program that has the device open sees it vanish.
    void close();
    bool isOpen() const;
    QString devicePath() const;
    // The output rate, parity and stop bits that the program set on its
    // end; on Linux the master reads the slave's terminal settings. Nothing
    // when closed; a rate of 0 when it is not a known one.
    std::optional<UartSettings> hostSettings() const override;

    // What does not fit into the unread backlog of the device is dropped,
    // as an adapter drops what nobody reads.
    void write(const QByteArray &bytes);

signals:
    void received(const QByteArray &bytes);
    void outputDropped(qsizetype bytes);
    void failed(const QString &reason);

private:
    void readAvailable();

    int masterFd = -1;
    int slaveFd = -1;
    QString path;
    QSocketNotifier *notifier = nullptr;
};

#endif // PTYPORT_H
