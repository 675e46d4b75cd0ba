#ifndef MODULESIMULATOR_H
#define MODULESIMULATOR_H

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// Runs tarnowick-module-sim with two modules (links in a temporary folder)
// for a test: start() waits for the device paths it prints, stop() (also
// called by the destructor) ends it with SIGTERM, so it removes its links.
// The simulator's own tests, the program's tests, the benchmarks and the
// screenshots share it (CMake target modulesim_runner).
class ModuleSimulator
{
public:
    explicit ModuleSimulator(const QStringList &extraArguments = {});
    ~ModuleSimulator() { stop(); }
    ModuleSimulator(const ModuleSimulator &) = delete;
    ModuleSimulator &operator=(const ModuleSimulator &) = delete;

    static bool isBuilt(); // false when the simulator is missing: tests skip

    bool start(int timeoutMs = 5000);
    QString portA() const { return ports.value(0); }
    QString portB() const { return ports.value(1); }
    void stop();

    QString errorString() const { return error; } // why start() failed

private:
    QTemporaryDir linkDir; // before arguments, which name it
    QStringList arguments;
    QProcess process;
    QStringList ports;
    QString error;
};

#endif // MODULESIMULATOR_H
