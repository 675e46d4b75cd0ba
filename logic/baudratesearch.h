#ifndef BAUDRATESEARCH_H
#define BAUDRATESEARCH_H

#include <QByteArray>
#include <QObject>
#include <QTimer>

class LineSilence;

// Finds the UART rate of a module that does not answer at the rate chosen:
// for each rate of BaudRates::searchOrder() the port is switched, "+++"
// goes out once the line has been quiet for the guard time, and a line
// with "OK" within the reply time means the module is there. It then leaves
// command mode again. The owner carries out the requests it signals.
class BaudRateSearch : public QObject
{
    Q_OBJECT

public:
    static constexpr int replyMs = 1500;

    explicit BaudRateSearch(const LineSilence &silence, QObject *parent = nullptr);

    void start();
    void cancel();
    bool isRunning() const { return phase != Idle; }

    // A line from the module; true when it was the answer to "+++".
    bool takeLine(const QString &line);

signals:
    void trying(int attempt, int rate); // switch the port to rate now
    void writeRequested(const QByteArray &bytes);
    void found(int rate);
    void exhausted();

private:
    void tryNext();
    void onTimeout();

    enum Phase { Idle, AwaitingSilence, AwaitingReply };

    const LineSilence &silence;
    QTimer timer;
    Phase phase = Idle;
    int attempt = -1;
};

#endif // BAUDRATESEARCH_H
