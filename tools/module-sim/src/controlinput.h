#ifndef CONTROLINPUT_H
#define CONTROLINPUT_H

#include <QByteArray>
#include <QObject>

class QSocketNotifier;

// The simulator's standard input, line by line: where a person or a test
// plugs and unplugs modules while it runs. The end of the input ends only
// the reading.
class ControlInput : public QObject
{
    Q_OBJECT

public:
    explicit ControlInput(QObject *parent = nullptr);

    void start();

signals:
    void lineReceived(const QString &line);

private:
    void readAvailable();
    void take(const QByteArray &bytes);
    void stop(const QString &problem);

    QSocketNotifier *notifier = nullptr;
    QByteArray partial;
    bool overlong = false;
};

#endif // CONTROLINPUT_H
