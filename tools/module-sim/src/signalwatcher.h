#ifndef SIGNALWATCHER_H
#define SIGNALWATCHER_H

#include <QObject>

class QSocketNotifier;

// Turns SIGINT, SIGTERM and SIGHUP into a Qt signal, so that the simulator
// leaves through its event loop and removes its links.
class SignalWatcher : public QObject
{
    Q_OBJECT

public:
    explicit SignalWatcher(QObject *parent = nullptr);
    ~SignalWatcher() override;

    bool install(QString *error);

signals:
    void terminationRequested();

private:
    void onNotified();

    QSocketNotifier *notifier = nullptr;
};

#endif // SIGNALWATCHER_H
