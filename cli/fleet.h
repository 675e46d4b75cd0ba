#ifndef FLEET_H
#define FLEET_H

#include "cli/porttask.h"
#include "logic/modulenames.h"

#include <QHash>
#include <QObject>

#include <optional>

// The jobs of one command on several ports side by side, each port on a
// session of its own; with --name each module written gets the next free
// name, kept only when its write went through.
class Fleet : public QObject
{
    Q_OBJECT

public:
    Fleet(const CliOptions &options, const PortOpener &opener, const QString &program, QObject *parent = nullptr);

    // Starts the job on a port (one at a time per port).
    void add(const QString &port);
    void interrupt();
    // The port went away: its job ends where it stands.
    void abandon(const QString &port);
    bool isRunning(const QString &port) const { return running.contains(port); }
    bool isIdle() const { return running.isEmpty(); }
    const QList<PortResult> &results() const { return ended; }
    // The name the next module will get; empty without --name.
    QString nextName() const;

signals:
    void started(const QString &port, const QString &name);
    void progress(const QString &port, const QString &text);
    void finished(const PortResult &result);

private:
    void onFinished(PortTask *task, const PortResult &result);

    CliOptions options;
    PortOpener opener;
    QString program;
    std::optional<NameCounter> names;
    QHash<QString, PortTask *> running;
    QHash<PortTask *, int> numbers; // the name number each write took
    QList<PortResult> ended;
};

#endif // FLEET_H
