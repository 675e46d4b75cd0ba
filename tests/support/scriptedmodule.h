#ifndef SCRIPTEDMODULE_H
#define SCRIPTEDMODULE_H

#include "app/fendrakexbeeconfiguratordialog.h"
#include "ptypair.h"

#include <QMap>
#include <QSocketNotifier>

#include <memory>

// A module whose every answer the test chooses, on a pseudo-terminal that the
// dialog opens like any port. It answers "+++" and each entry ("VR",
// "ID=3333", "CN") with the line `replies` gives, "OK" where it gives none,
// and nothing at all for "-"; a query of a value it acknowledged gets that
// value. It answers what it has read from the line, so never before the
// bytes have gone out.
class ScriptedModule
{
public:
    explicit ScriptedModule(FendrakeXBeeConfiguratorDialog &dialog);

    bool isReady() const { return ready; } // the dialog shows the port open
    QMap<QString, QString> replies;
    // Values it keeps whatever a set gives it, by command: a module that stores other values.
    QMap<QString, QString> holds;
    // Every emission of the dialog's write_data so far.
    const QList<QByteArray> &written() const { return bytes; }
    // Sends a line as if the module put it out unasked.
    void say(const QByteArray &line) { pty.write(line + '\r'); }
    // Bytes as they come, a line end or not.
    void send(const QByteArray &bytes) { pty.write(bytes); }

private:
    void onReadable();
    void answer(const QByteArray &data);

    PtyPair pty;
    std::unique_ptr<QSocketNotifier> readable;
    QByteArray received; // read from the line, not yet answered
    QList<QByteArray> bytes;
    QMap<QString, QString> held_; // values acknowledged, by command
    bool ready = false;
};

#endif // SCRIPTEDMODULE_H
