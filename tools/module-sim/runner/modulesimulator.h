#ifndef MODULESIMULATOR_H
#define MODULESIMULATOR_H

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// Runs tarnowick-module-sim for a test, with its links in a temporary
// folder: start() waits for the device paths it prints, stop() (also called
// by the destructor) ends it with SIGTERM, so it removes its links. While it
// runs, plug() and unplug() pull a module's adapter out and put it back.
// The simulator's own tests, the program's tests, the benchmarks and the
// screenshots share it (CMake target modulesim_runner).
class ModuleSimulator
{
public:
    // Modules A and B.
    explicit ModuleSimulator(const QStringList &extraArguments = {});
    // 1 to 8 modules, A first. A module named by "--unplugged" among the
    // arguments starts without a device until plug().
    ModuleSimulator(int modules, const QStringList &extraArguments);
    ~ModuleSimulator() { stop(); }
    ModuleSimulator(const ModuleSimulator &) = delete;
    ModuleSimulator &operator=(const ModuleSimulator &) = delete;

    static bool isBuilt(); // false when the simulator is missing: tests skip

    bool start(int timeoutMs = 5000);
    // The first and second path printed at the start.
    QString portA() const { return ports.value(0); }
    QString portB() const { return ports.value(1); }
    // DIR/moduleX, the link to module X's device while it is plugged in.
    QString port(QChar module) const;
    // Each writes the command to the simulator's stdin and waits until the
    // module's link has gone, or is back with a device behind it; false when
    // that takes longer than timeoutMs.
    bool unplug(QChar module, int timeoutMs = 2000);
    bool plug(QChar module, int timeoutMs = 2000);
    // Any other line for the simulator's stdin, such as "wake C"; true once
    // written. It takes effect when the simulator reads it.
    bool sendCommand(const QString &line);
    void stop();

    QString errorString() const { return error; } // why start(), plug() or unplug() failed

private:
    template<typename Condition> bool waitFor(Condition done, int timeoutMs);

    QTemporaryDir linkDir; // before arguments, which name it
    QStringList arguments;
    int expectedPaths = 0;
    QProcess process;
    QStringList ports;
    QString error;
};

#endif // MODULESIMULATOR_H
