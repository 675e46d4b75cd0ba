#ifndef MODULESIMULATOR_H
#define MODULESIMULATOR_H

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// Runs tarnowick-module-sim with two modules (links in a temporary folder)
// for a test: start() waits for the device paths it prints, stop() (also
// called by the destructor) ends it with SIGTERM, so it removes its links.
class ModuleSimulator
{
public:
    explicit ModuleSimulator(const QStringList &extraArguments = {});
    ~ModuleSimulator();
    ModuleSimulator(const ModuleSimulator &) = delete;
    ModuleSimulator &operator=(const ModuleSimulator &) = delete;

    static bool isBuilt(); // false when the build has no simulator: tests skip

    bool start(int timeoutMs = 5000);
    QString portA() const;
    QString portB() const;
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
