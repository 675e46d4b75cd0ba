#include "controlcommand.h"
#include "moduleconfigs.h"
#include "simoptions.h"

#include <QTest>

namespace {

class StillClock : public Clock
{
public:
    qint64 nowMs() const override { return 1000000; }
};

// The options of a bench of eight modules, most of them named on their own.
// clang-format off
const QStringList BenchArguments{"sim", "--modules", "8",
    "--guard-ms", "50", "--guard-ms", "c:20", "--guard-ms", "H:3300", "--ct-ms", "2000",
    "--bd", "H:7", "--nb", "D:1", "--sb", "D:1",
    "--silent", "G", "--unplugged", "e", "--hangup-after", "B:5", "--store-differently", "H:ID=1",
    "--rssi", "F:-90", "--rssi", "-60"};
// clang-format on

} // namespace

class TestSimBench : public QObject
{
    Q_OBJECT

private slots:
    void moduleLetters_data();
    void moduleLetters();
    void eightModules_data();
    void eightModules();
    void controlCommand_data();
    void controlCommand();
};

void TestSimBench::moduleLetters_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("mentions");

    // clang-format off
    QTest::newRow("C with two modules") << QStringList{"--modules", "2", "--bd", "C:4"}
        << "--bd: \"C\" is not a module letter, A or B (module C needs --modules 3)";
    QTest::newRow("H with one module") << QStringList{"--silent", "h"}
        << "--silent: \"h\" is not A (module H needs --modules 8)";
    QTest::newRow("I with eight modules") << QStringList{"--modules", "8", "--rssi", "I:-70"}
        << "--rssi: \"I\" is not a module letter, A to H";
    QTest::newRow("not a letter") << QStringList{"--modules", "4", "--silent", "3"}
        << "--silent: \"3\" is not a module letter, A to D";
    QTest::newRow("guard time for all, twice") << QStringList{"--guard-ms", "20", "--guard-ms", "30"}
        << "--guard-ms: \"30\" is not allowed twice";
    QTest::newRow("guard time for C, twice") << QStringList{"--modules", "3", "--guard-ms", "C:20", "--guard-ms", "c:30"}
        << "--guard-ms: \"c:30\" is not allowed twice";
    QTest::newRow("guard time too short") << QStringList{"--modules", "3", "--guard-ms", "C:1"}
        << "--guard-ms: \"C:1\" is not [M:]MS with MS from 2 to 3300";
    QTest::newRow("guard time not a number") << QStringList{"--guard-ms", "A:"} << "--guard-ms: \"A:\"";
    QTest::newRow("nine modules") << QStringList{"--modules", "9"} << "--modules: \"9\" is not a whole number from 1 to 8";
    // clang-format on
}

void TestSimBench::moduleLetters()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, mentions);

    SimOptions options;
    QString message;
    QCOMPARE(parseSimOptions(QStringList{"sim"} + arguments, &options, &message), OptionsOutcome::Invalid);
    QVERIFY2(message.contains(mentions), qPrintable(message));
}

void TestSimBench::eightModules_data()
{
    QTest::addColumn<QChar>("letter");
    QTest::addColumn<QByteArray>("serialLow");
    QTest::addColumn<QByteArray>("guardTime");
    QTest::addColumn<QString>("uart");
    QTest::addColumn<int>("rssi");

    // clang-format off
    QTest::newRow("A") << QChar('A') << QByteArray("40F1A001") << QByteArray("32") << "9600 0 0" << -60;
    QTest::newRow("B") << QChar('B') << QByteArray("40F1A002") << QByteArray("32") << "9600 0 0" << -60;
    QTest::newRow("C: a guard time of its own") << QChar('C') << QByteArray("40F1A003") << QByteArray("14")
                                                << "9600 0 0" << -60;
    QTest::newRow("D: framing of its own") << QChar('D') << QByteArray("40F1A004") << QByteArray("32") << "9600 1 1"
                                           << -60;
    QTest::newRow("E") << QChar('E') << QByteArray("40F1A005") << QByteArray("32") << "9600 0 0" << -60;
    QTest::newRow("F: hears at its own strength") << QChar('F') << QByteArray("40F1A006") << QByteArray("32")
                                                  << "9600 0 0" << -90;
    QTest::newRow("G") << QChar('G') << QByteArray("40F1A007") << QByteArray("32") << "9600 0 0" << -60;
    QTest::newRow("H: rate and guard time of its own") << QChar('H') << QByteArray("40F1A008") << QByteArray("CE4")
                                                       << "115200 0 0" << -60;
    // clang-format on
}

// Each module answers with its own serial number and starts with its own
// settings; the others are not touched by what one is given.
void TestSimBench::eightModules()
{
    QFETCH(QChar, letter);
    QFETCH(QByteArray, serialLow);
    QFETCH(QByteArray, guardTime);
    QFETCH(QString, uart);
    QFETCH(int, rssi);

    SimOptions options;
    QString message;
    QCOMPARE(parseSimOptions(BenchArguments, &options, &message), OptionsOutcome::Run);
    const ModuleConfig config = moduleConfigFor(options, letter);
    const StillClock clock;
    const ModuleCore module(config, clock);
    QCOMPARE(module.registers().query("SL"), serialLow);
    QCOMPARE(module.registers().query("SH"), QByteArray("13A200"));
    QCOMPARE(module.registers().query("GT"), guardTime);
    QCOMPARE(module.registers().query("CT"), QByteArray("14"));
    const UartSettings settings = module.uartSettings();
    QCOMPARE(QStringLiteral("%1 %2 %3").arg(settings.baud).arg(settings.parity).arg(settings.stopBits), uart);
    QCOMPARE(options.radio.rssiAt(letter), rssi);
    QCOMPARE(config.silent, letter == 'G');
    QCOMPARE(options.unplugged.contains(letter), letter == 'E');
    QCOMPARE(options.hangupAfter.value(letter, -1), letter == 'B' ? 5 : -1);
    QCOMPARE(config.faults.value("ID"), letter == 'H' ? QByteArray("1") : QByteArray());
}

void TestSimBench::controlCommand_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("modules");
    QTest::addColumn<QString>("command"); // action and letters; empty: none
    QTest::addColumn<QString>("error");   // empty: nothing to report

    // clang-format off
    QTest::newRow("unplug") << "unplug C" << 3 << "unplug C" << QString();
    QTest::newRow("any case, all") << "PLUG all" << 4 << "plug A B C D" << QString();
    QTest::newRow("blanks around") << "  unplug \t b " << 2 << "unplug B" << QString();
    QTest::newRow("wake") << "wake B" << 2 << "wake B" << QString();
    QTest::newRow("factory settings for all") << "Factory ALL" << 3 << "factory A B C" << QString();
    QTest::newRow("blank line") << " " << 2 << QString() << QString();
    QTest::newRow("unknown") << "dance C" << 3 << QString() << "\"dance C\" is not a command";
    QTest::newRow("no module") << "unplug" << 3 << QString() << "\"unplug\" is not a command";
    QTest::newRow("two modules") << "unplug B C" << 3 << QString() << "\"unplug B C\" is not a command";
    QTest::newRow("beyond the modules") << "unplug J" << 3 << QString()
                                        << "\"unplug J\": there is no module J (the modules are A to C)";
    QTest::newRow("one module") << "plug b" << 1 << QString() << "there is no module b (the only module is A)";
    QTest::newRow("not a letter") << "plug AB" << 8 << QString() << "there is no module AB (the modules are A to H)";
    // clang-format on
}

void TestSimBench::controlCommand()
{
    QFETCH(QString, line);
    QFETCH(int, modules);
    QFETCH(QString, command);
    QFETCH(QString, error);

    QString reason = QStringLiteral("left from before");
    const std::optional<ControlCommand> parsed = parseControlCommand(line, modules, &reason);
    QCOMPARE(parsed.has_value(), !command.isEmpty());
    QVERIFY2(error.isEmpty() ? reason.isEmpty() : reason.contains(error), qPrintable(reason));
    if (!parsed)
        return;
    const QStringList actions{"plug", "unplug", "wake", "factory"};
    QStringList words{actions.at(int(parsed->action))};
    for (const QChar letter : parsed->modules)
        words += letter;
    QCOMPARE(words.join(' '), command);
}

QTEST_GUILESS_MAIN(TestSimBench)
#include "tst_simbench.moc"
