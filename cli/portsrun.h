#ifndef PORTSRUN_H
#define PORTSRUN_H

#include "cli/portconnection.h"
#include "cli/portlisting.h"
#include "cli/porttask.h"

#include <QObject>

class Fleet;

// tarnowick-cli ports: the serial ports, and with --probe who answers on
// each: every port asked side by side, at the rate remembered for it or by
// one fast search, so the whole takes one search time however many ports.
class PortsRun : public QObject
{
    Q_OBJECT

public:
    PortsRun(const CliOptions &options, const PortOpener &opener, const QList<ListedPort> &ports,
             QObject *parent = nullptr);
    void start();
    void interrupt();

signals:
    void output(const QString &line);
    void message(const QString &line);
    void finished(int status);

private:
    void report();
    QString line(const ListedPort &port) const;
    QString json(const ListedPort &port) const;

    CliOptions options;
    PortOpener opener;
    QList<ListedPort> ports;
    Fleet *probe = nullptr;
    QHash<QString, PortResult> found;
    bool adding = false;
};

#endif // PORTSRUN_H
