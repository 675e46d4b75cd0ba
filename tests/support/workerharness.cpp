#include "workerharness.h"

WorkerHarness::WorkerHarness()
    : worker(new SerialPort)
{
    qRegisterMetaType<QSerialPort::BaudRate>("QSerialPort::BaudRate");
    worker->moveToThread(&thread);
    QObject::connect(&thread, &QThread::started, worker, &SerialPort::process);
    QObject::connect(&thread, &QThread::finished, worker, &QObject::deleteLater);
    portOpenSpy = std::make_unique<QSignalSpy>(worker, &SerialPort::port_open);
    dataSpy = std::make_unique<QSignalSpy>(worker, &SerialPort::data_received);
    thread.start();
}

WorkerHarness::~WorkerHarness()
{
    thread.quit();
    thread.wait();
}

void WorkerHarness::changePort(const QString &name)
{
    SerialPort *w = worker;
    QMetaObject::invokeMethod(worker, [w, name] { w->onChangePort(name); });
}

void WorkerHarness::changeBaudRate(QSerialPort::BaudRate rate)
{
    SerialPort *w = worker;
    QMetaObject::invokeMethod(worker, [w, rate] { w->onChangeBaudRate(rate); });
}

void WorkerHarness::write(const QByteArray &bytes)
{
    SerialPort *w = worker;
    QMetaObject::invokeMethod(worker, [w, bytes] { w->onWriteData(bytes); });
}

QList<bool> WorkerHarness::reports() const
{
    QList<bool> result;
    for (const QList<QVariant> &args : *portOpenSpy)
        result.append(args.at(0).toBool());
    return result;
}

QList<QByteArray> WorkerHarness::lines() const
{
    QList<QByteArray> result;
    for (const QList<QVariant> &args : *dataSpy)
        result.append(args.at(0).toByteArray());
    return result;
}
