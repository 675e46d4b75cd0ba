#ifndef MODULERIG_H
#define MODULERIG_H

#include "moduleconfigs.h"
#include "modulecore.h"
#include "simoptions.h"

#include <QStringList>
#include <QTest>

// Module A as the simulator's options make it, on a clock and a serial line
// that move only when the test says so, with all it sends to each side and
// all it logs. The line starts at the module's rate and framing. At 9600
// baud a byte takes 1.04 ms: "+++" is in 3.1 ms after it was sent, and an
// "OK\r" reaches the host 3.1 ms after the module sent it.
class Rig : public Clock, public HostLine
{
public:
    explicit Rig(const QString &options = QString(), RegisterStore *store = nullptr)
        : module(configOf(options), *this, store)
    {
        line = module.uartSettings();
        module.setHostLine(this);
        QObject::connect(&module, &ModuleCore::hostOutput, [this](const QByteArray &bytes) { host += bytes; });
        QObject::connect(&module, &ModuleCore::radioTransmit, [this](const QByteArray &bytes) { air += bytes; });
        QObject::connect(&module, &ModuleCore::eventLogged, [this](const QString &text) { log += text; });
        QObject::connect(&module, &ModuleCore::problemReported, [this](const QString &) { ++problems; });
    }
    qint64 nowMs() const override { return now; }
    std::optional<UartSettings> hostSettings() const override { return line; }

    static ModuleConfig configOf(const QString &options)
    {
        SimOptions parsed;
        QString message;
        const QStringList arguments = QStringList{"sim"} + options.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (parseSimOptions(arguments, &parsed, &message) != OptionsOutcome::Run)
            QTest::qFail(qPrintable(message), __FILE__, __LINE__);
        return moduleConfigFor(parsed, QLatin1Char('A'));
    }

    // Plays a script of "wN" (let N ms pass), "<bytes" (a packet heard over
    // the radio at -74 dBm), "!restart" (a power cut), "!wake", "!factory"
    // (as the simulator's stdin commands), "?what" (notes what is seen now)
    // and byte groups from the host, in order.
    void play(const QString &script)
    {
        for (const QString &token : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (token.startsWith(QLatin1Char('w'))) {
                now += token.mid(1).toInt();
                module.processTimers();
            } else if (token.startsWith(QLatin1Char('<'))) {
                module.receiveFromRadio(token.mid(1).toLatin1(), -74);
            } else if (token == QLatin1String("!restart")) {
                module.restart();
            } else if (token == QLatin1String("!wake")) {
                module.wake();
            } else if (token == QLatin1String("!factory")) {
                module.factoryReset();
            } else if (token.startsWith(QLatin1Char('?'))) {
                seen += token.mid(1) + QLatin1Char('=') + show(token.mid(1));
            } else {
                module.receiveFromHost(token.toLatin1());
            }
        }
    }

    // "mode", "uart" (rate and framing in effect), "air", "problems", "log"
    // (the last line) or a register as a query answers it.
    QString show(const QString &what) const
    {
        if (what == QLatin1String("mode"))
            return module.inCommandMode() ? "command" : module.isAsleep() ? "asleep" : "data";
        if (what == QLatin1String("uart"))
            return QStringLiteral("%1-%2").arg(module.uartSettings().baud).arg(framingName(module.uartSettings()));
        if (what == QLatin1String("air"))
            return QString::fromLatin1(air);
        if (what == QLatin1String("problems"))
            return QString::number(problems);
        if (what == QLatin1String("log"))
            return log.value(log.size() - 1);
        return QString::fromLatin1(module.registers().query(what.toLatin1()));
    }

    qint64 now = 1000000;
    UartSettings line;
    ModuleCore module;
    QByteArray host, air;
    QStringList log, seen;
    int problems = 0;
};

// Enters command mode at the factory guard time of 1 s.
inline const QString Enter = QStringLiteral("w1000 +++ w1010 ");

// The columns of a script played on a rig of the options: what reaches the
// host, and what "?" noted.
inline void addScriptColumns()
{
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("seen");
}

inline void playScriptRow()
{
    QFETCH(QString, options);
    QFETCH(QString, script);
    QFETCH(QString, host);
    QFETCH(QString, seen);

    Rig rig(options);
    rig.play(script);
    QCOMPARE(QString::fromLatin1(rig.host), host);
    QCOMPARE(rig.seen.join(QLatin1Char(' ')), seen);
}

#endif // MODULERIG_H
