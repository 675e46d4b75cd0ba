#ifndef SIMULATOR_H
#define SIMULATOR_H

#include "clock.h"
#include "controlcommand.h"
#include "heardreplies.h"
#include "radio.h"
#include "simoptions.h"
#include "statefile.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <memory>

class ModuleStation;

// The whole process: the modules, their ptys, the radio between them and
// the simulated transmitter of --auto-transmit, which counts the replies
// of the receiver at the far end.
class Simulator : public QObject
{
    Q_OBJECT

public:
    explicit Simulator(const SimOptions &options, QObject *parent = nullptr);
    ~Simulator() override;

    bool start(QString *error);
    // Of the modules plugged in, in letter order.
    QStringList devicePaths() const;
    // A line from stdin: "unplug C" and so on.
    void runControlLine(const QString &line);

private:
    ModuleStation *createStation(QChar letter);
    void runControl(const ControlCommand &command, ModuleStation *station);
    void plugIn(ModuleStation *station);
    void logRadio();
    void sendTestLine();
    void countReplies(QChar to, const QByteArray &payload);

    SimOptions options;
    SteadyClock clock;
    std::unique_ptr<StateFile> stateFile;
    Radio radio;
    QList<ModuleStation *> stations;
    QTimer autoTransmitTimer;
    ModuleStation *autoTransmitter = nullptr;
    quint32 testLineCounter = 0;
    HeardReplies heardReplies;
};

#endif // SIMULATOR_H
