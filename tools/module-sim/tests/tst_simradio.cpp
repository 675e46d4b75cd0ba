#include "modulecore.h"
#include "radio.h"

#include <QTest>

#include <memory>

namespace {

// Modules on one radio and one clock that moves only when the test says so.
// What the radio does with each packet is noted as "A>B -71" (heard at
// -71 dBm) or "A>B lost".
class Air : public Clock
{
public:
    Air(const RadioConfig &config, int modules)
        : radio(config)
    {
        for (int i = 0; i < modules; ++i) {
            ModuleConfig module;
            module.letter = QLatin1Char(char('A' + i));
            module.guardTime = 2;
            cores.push_back(std::make_unique<ModuleCore>(module, *this));
            radio.attach(cores.back().get());
        }
        QObject::connect(&radio, &Radio::packetDelivered, [this](QChar from, QChar to, const QByteArray &, int dbm) {
            events += QStringLiteral("%1>%2 %3").arg(from).arg(to).arg(dbm);
        });
        QObject::connect(&radio, &Radio::packetLost, [this](QChar from, QChar to, const QByteArray &) {
            events += QStringLiteral("%1>%2 lost").arg(from).arg(to);
        });
    }
    qint64 nowMs() const override { return now; }

    ModuleCore &module(QChar letter) { return *cores.at(letter.unicode() - u'A'); }

    // Plays steps: ">A" A's host writes a line, which leaves as one packet
    // once the packetization timeout has passed; "-A" A is switched off, "+A"
    // on again; "C ID3333" sets C's registers in command mode.
    void play(const QStringList &steps)
    {
        for (const QString &step : steps) {
            ModuleCore &core = module(step.at(step.at(0).isLetter() ? 0 : 1));
            if (step.startsWith(QLatin1Char('>'))) {
                write(core, "ping\r");
            } else if (step.startsWith(QLatin1Char('-'))) {
                radio.detach(&core);
            } else if (step.startsWith(QLatin1Char('+'))) {
                radio.attach(&core);
            } else {
                write(core, "+++");
                write(core, "AT" + step.mid(2).toLatin1() + ",CN\r");
            }
        }
    }

    void write(ModuleCore &core, const QByteArray &bytes)
    {
        core.receiveAtModuleRate(bytes);
        now += 100;
        for (const auto &other : cores)
            other->processTimers();
    }

    qint64 now = 1000000;
    Radio radio;
    std::vector<std::unique_ptr<ModuleCore>> cores;
    QStringList events;
};

} // namespace

class TestSimRadio : public QObject
{
    Q_OBJECT

private slots:
    void twoModulesKeepTheirSequence();
    void threeModules_data();
    void threeModules();
};

// Tests of the program replay the outcomes of a seed with two modules: they
// must not change as the radio learns more modules.
void TestSimRadio::twoModulesKeepTheirSequence()
{
    RadioConfig config;
    config.loss = 0.4;
    config.seed = 11;
    Air air(config, 2);
    for (int i = 0; i < 6; ++i)
        air.play({">A", ">B"});
    // Recorded from the radio as it was when it knew just two modules.
    const QStringList recorded{"A>B -70", "B>A -71",  "A>B lost", "B>A lost", "A>B -71",  "B>A lost",
                               "A>B -72", "B>A lost", "A>B -73",  "B>A -72",  "A>B lost", "B>A -73"};
    QCOMPARE(air.events, recorded);
}

void TestSimRadio::threeModules_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<double>("loss");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QString>("db"); // of A, B and C afterwards

    // B hears at -70 dBm, C at -80, A at -90, with no jitter.
    // clang-format off
    QTest::newRow("one PAN: all hear each other") << QStringList{">A", ">C"} << 0.0
        << QStringList{"A>B -70", "A>C -80", "C>A -90", "C>B -70"} << "5A 46 50";
    QTest::newRow("C on a PAN of its own") << QStringList{"C ID3333", ">A", ">C"} << 0.0
        << QStringList{"A>B -70"} << "0 46 0";
    QTest::newRow("B shares a channel with A and with C, they none with each other")
        << QStringList{"A CM3", "B CM6", "C CM4", ">A", ">B", ">C"} << 0.0
        << QStringList{"A>B -70", "B>A -90", "B>C -80", "C>B -70"} << "5A 46 50";
    QTest::newRow("C asleep: hears nothing") << QStringList{"C SM1", ">A", ">B"} << 0.0
        << QStringList{"A>B -70", "B>A -90"} << "5A 46 0";
    QTest::newRow("lost for every receiver") << QStringList{">B"} << 1.0
        << QStringList{"B>A lost", "B>C lost"} << "0 0 0";
    QTest::newRow("switched off: neither hears nor is heard") << QStringList{"-B", ">A", ">B"} << 0.0
        << QStringList{"A>C -80"} << "0 0 50";
    QTest::newRow("switched on again: still heard in letter order") << QStringList{"-A", "+A", ">C"} << 0.0
        << QStringList{"C>A -90", "C>B -70"} << "5A 46 0";
    // clang-format on
}

void TestSimRadio::threeModules()
{
    QFETCH(QStringList, steps);
    QFETCH(double, loss);
    QFETCH(QStringList, events);
    QFETCH(QString, db);

    RadioConfig config;
    config.loss = loss;
    config.rssiJitterDb = 0;
    config.rssiDbmAt = {{'A', -90}, {'B', -70}, {'C', -80}};
    Air air(config, 3);
    air.play(steps);
    QCOMPARE(air.events, events);
    QStringList strengths;
    for (const QChar letter : {'A', 'B', 'C'})
        strengths += QString::fromLatin1(air.module(letter).registers().query("DB"));
    QCOMPARE(strengths.join(' '), db);
}

QTEST_GUILESS_MAIN(TestSimRadio)
#include "tst_simradio.moc"
