#ifndef WORKERHARNESS_H
#define WORKERHARNESS_H

#include "serial/serialport.h"

#include <QSignalSpy>
#include <QThread>

#include <memory>

// Runs a real SerialPort worker in its own thread, as the dialog does, and
// records what it reports.
class WorkerHarness
{
public:
    WorkerHarness();
    ~WorkerHarness();

    void changePort(const QString &name);
    void changeBaudRate(QSerialPort::BaudRate rate);
    void write(const QByteArray &bytes);

    QList<bool> reports() const;     // every port_open so far
    QList<QByteArray> lines() const; // every data_received so far

    std::unique_ptr<QSignalSpy> portOpenSpy;
    std::unique_ptr<QSignalSpy> dataSpy;

private:
    QThread thread;
    SerialPort *worker;
};

#endif // WORKERHARNESS_H
