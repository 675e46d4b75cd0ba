#ifndef INTERRUPTS_H
#define INTERRUPTS_H

#include <QObject>
#include <QTimer>

// Ctrl-C, SIGTERM and SIGHUP as a Qt signal, so a job can leave the module
// in order before the program ends; a second one ends the program at once
// with status 130.
class Interrupts : public QObject
{
    Q_OBJECT

public:
    explicit Interrupts(QObject *parent = nullptr);

signals:
    void interrupted();

private:
    void poll();

    QTimer timer;
    bool reported = false;
};

#endif // INTERRUPTS_H
