#ifndef BENCHWATCH_H
#define BENCHWATCH_H

#include "cli/portconnection.h"
#include "cli/porttask.h"

#include <QObject>
#include <QSet>

#include <functional>
#include <memory>

class ClockTimer;
class Fleet;

// tarnowick-cli bench: until Ctrl-C, programs the module on every port that
// appears (search if needed, write, read-back, record), says each module's
// result as it ends and rings the bell on a failure, and waits for a port
// to go before it programs a module there again, so a module left plugged
// in is not written twice. Several adapters are served side by side.
class BenchWatch : public QObject
{
    Q_OBJECT

public:
    // How often the ports are looked at. A new port is programmed once it has
    // been there on two looks: the system sets its permissions just after it appears.
    static constexpr int scanIntervalMs = 500;

    BenchWatch(const CliOptions &options, const PortOpener &opener, const QString &program, SessionClock &clock,
               const std::function<QStringList()> &ports, QObject *parent = nullptr);
    ~BenchWatch() override;

    void start();
    // Ctrl-C: the writes under way end in order, then the summary.
    void interrupt();

signals:
    void output(const QString &line);
    void message(const QString &line);
    void finished(int status);

private:
    void scan();
    void program(const QString &port);
    void onModuleFinished(const PortResult &result);
    void end();

    CliOptions options;
    std::function<QStringList()> listPorts;
    Fleet *fleet = nullptr;
    std::unique_ptr<ClockTimer> scanTimer;
    QSet<QString> present; // seen on the last look
    QSet<QString> done;    // programmed since they appeared: not again until they go
    bool ending = false;
    int portWidth = 12;
};

#endif // BENCHWATCH_H
