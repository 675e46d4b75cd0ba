#ifndef LINEMODULE_H
#define LINEMODULE_H

#include "fakeclock.h"
#include "logic/moduleport.h"

#include <QMap>
#include <QStringList>

#include <optional>

class CommandSession;

// How the module on the line is set up, and what it answers: replies by
// "+++", entry ("VR", "ID=3333") or "CN"; "OK" where none is given, "-" for
// silence, lines apart by "\n" for a chain. A "+++" answered with a text without "OK" leaves it in data mode.
// A query of a value it acknowledged answers that value, or what holds
// says it keeps instead (a module that stores other values than it is given).
struct LineModuleSetup
{
    int rate = 9600;
    Framing framing; // a port with other parity garbles both ways
    int guardMs = 1000;
    QMap<QString, QString> replies;
    QMap<QString, QString> holds;     // command -> value kept whatever a set gave
    std::optional<int> escapeReplyMs; // the "OK" comes this long after "+++" instead of a guard time
    QString strayLine;                // arrives from the radio 50 ms after "+++"
    // Left in the port by an earlier program (a reply it no longer waited
    // for): the program reads it at the first moment the clock moves.
    QString staleLine;
    bool inCommandMode = false;  // an earlier program left it there
    bool portTakesParity = true; // a pseudo-terminal does not
};

// A module at the far end of a serial line, on a fake clock. Bytes take ten
// bit times each on the wire; a port at another rate than the module's
// garbles both directions (nothing readable, no line end). "+++" is taken
// only after a guard time of silence before it and the guard time after it.
class LineModule : public ModulePort
{
public:
    LineModule(FakeClock &clock, const LineModuleSetup &setup);

    void attach(CommandSession *session) { this->session = session; }
    void writeToModule(const QByteArray &bytes) override;
    void setPortRate(int rate) override;
    void setPortFraming(const Framing &framing) override { portFraming = framing; }
    void discardInput() override { lastDiscardMs = clock.nowMs(); }
    bool canUseFraming(const Framing &framing) const override { return setup.portTakesParity || !framing.parity; }

    // Every emission as "+++", the entry ("VR", "CN") or "data", with "@ms"
    // and, where the port ran at another rate than 9600, "/rate".
    QStringList wire() const { return emissions; }
    bool inCommandMode() const { return commandMode; }
    int portRate() const { return port; }
    Framing framingOfPort() const { return portFraming; }
    // A line the module puts out unasked.
    void say(const QString &line) { reply(line); }

private:
    // Start bit, eight data bits, parity and stop bits.
    double byteMs(int rate) const { return (10 + (portFraming.parity ? 1 : 0) + portFraming.stopBits) * 1000.0 / rate; }
    bool garbled() const { return port != setup.rate || portFraming.parity != setup.framing.parity; }
    void takeEscape(qint64 startMs, qint64 endMs);
    void takeCommand(const QString &entry, qint64 endMs);
    void applyUart(); // AC or CN: a held BD, NB and SB take effect
    // afterwards runs once the line has arrived: the module's next step after sending it.
    void reply(const QString &line, qint64 atMs = -1, std::function<void()> afterwards = {});
    void deliver(const QString &line, qint64 arrivedMs, bool lost);

    FakeClock &clock;
    LineModuleSetup setup;
    CommandSession *session = nullptr;
    int port = 9600;
    Framing portFraming;
    QStringList emissions;
    QMap<QString, QString> held; // values acknowledged, by command
    bool commandMode = false;
    qint64 lastByteEndMs = -100000;
    qint64 lastDiscardMs = -100000;
    int escapeAttempt = 0;
};

#endif // LINEMODULE_H
