#include "controlcommand.h"
#include "heardreplies.h"
#include "moduleconfigs.h"
#include "simoptions.h"

#include <QTest>

class TestSimOptions : public QObject
{
    Q_OBJECT

private slots:
    void invalid_data();
    void invalid();
    void eightModules_data();
    void eightModules();
    void controlCommand_data();
    void controlCommand();
    void heardReplies_data();
    void heardReplies();
};

void TestSimOptions::invalid_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("mentions");

    // clang-format off
    QTest::newRow("unknown option") << "--colour" << "colour";
    QTest::newRow("stray argument") << "moduleA" << "moduleA";
    QTest::newRow("nine modules") << "--modules 9" << "--modules: \"9\" is not a whole number from 1 to 8";
    QTest::newRow("ct not in steps of 100") << "--ct-ms 250" << "--ct-ms: \"250\"";
    QTest::newRow("loss not a number") << "--loss nan" << "--loss: \"nan\"";
    QTest::newRow("C with two modules") << "--modules 2 --bd C:4"
                                        << "--bd: \"C\" is not a module letter, A or B (module C needs --modules 3)";
    QTest::newRow("I with eight modules") << "--modules 8 --rssi I:-70"
                                          << "--rssi: \"I\" is not a module letter, A to H";
    QTest::newRow("not a letter") << "--modules 4 --silent 3" << "--silent: \"3\" is not a module letter, A to D";
    QTest::newRow("refuse read-only") << "--refuse SL" << "--refuse: \"SL\"";
    QTest::newRow("bd without module") << "--bd 4" << "--bd: \"4\"";
    QTest::newRow("bd index 9") << "--bd A:9" << "--bd: \"A:9\"";
    QTest::newRow("bd twice") << "--modules 2 --bd B:4 --bd b:5" << "--bd: \"b:5\"";
    QTest::newRow("store fault the module refuses") << "--store-differently A:CM=203"
                                                    << "--store-differently: \"A:CM=203\"";
    QTest::newRow("guard time for all, twice") << "--guard-ms 20 --guard-ms 30"
                                               << "--guard-ms: \"30\" is not allowed twice";
    QTest::newRow("guard time too short") << "--modules 3 --guard-ms C:1"
                                          << "--guard-ms: \"C:1\" is not [M:]MS with MS from 2 to 3300";
    // clang-format on
}

void TestSimOptions::invalid()
{
    QFETCH(QString, arguments);
    QFETCH(QString, mentions);

    SimOptions options;
    QString message;
    QCOMPARE(parseSimOptions(QStringList{"sim"} + arguments.split(' '), &options, &message), OptionsOutcome::Invalid);
    QVERIFY2(message.contains(mentions), qPrintable(message));
}

void TestSimOptions::eightModules_data()
{
    QTest::addColumn<QChar>("letter");
    QTest::addColumn<QString>("module"); // SL, GT, rate and framing, RSSI and the rest

    // clang-format off
    QTest::newRow("A") << QChar('A') << "40F1A001 GT 32 9600-8N1 -60 dBm";
    QTest::newRow("B") << QChar('B') << "40F1A002 GT 32 9600-8N1 -60 dBm, hangs up after 5 bytes";
    QTest::newRow("C: a guard time of its own") << QChar('C') << "40F1A003 GT 14 9600-8N1 -60 dBm";
    QTest::newRow("D: framing of its own") << QChar('D') << "40F1A004 GT 32 9600-8O2 -60 dBm";
    QTest::newRow("E") << QChar('E') << "40F1A005 GT 32 9600-8N1 -60 dBm, unplugged";
    QTest::newRow("F: hears at its own strength") << QChar('F') << "40F1A006 GT 32 9600-8N1 -90 dBm";
    QTest::newRow("G") << QChar('G') << "40F1A007 GT 32 9600-8N1 -60 dBm, silent";
    QTest::newRow("H: rate and guard time of its own") << QChar('H')
                                                       << "40F1A008 GT CE4 115200-8N1 -60 dBm, holds ID 1";
    // clang-format on
}

// Each module answers with its own serial number and starts with its own
// settings; the others are not touched by what one is given.
void TestSimOptions::eightModules()
{
    QFETCH(QChar, letter);
    QFETCH(QString, module);

    // clang-format off
    const QStringList arguments{"sim", "--modules", "8",
        "--guard-ms", "50", "--guard-ms", "c:20", "--guard-ms", "H:3300", "--ct-ms", "2000",
        "--bd", "H:7", "--nb", "D:2", "--sb", "D:1", "--strict-framing", "--refuse", "wr", "--loss", "0.5",
        "--silent", "G", "--unplugged", "e", "--hangup-after", "B:5", "--store-differently", "H:ID=1",
        "--rssi", "F:-90", "--rssi", "-60", "-v"};
    // clang-format on
    SimOptions options;
    QString message;
    QCOMPARE(parseSimOptions(arguments, &options, &message), OptionsOutcome::Run);
    const ModuleConfig config = moduleConfigFor(options, letter);
    struct : Clock
    {
        qint64 nowMs() const override { return 0; }
    } clock;
    const ModuleCore core(config, clock);
    const RegisterBank &registers = core.registers();
    QString seen = QStringLiteral("%1 GT %2 %3-%4 %5 dBm")
                       .arg(QString::fromLatin1(registers.query("SL")), QString::fromLatin1(registers.query("GT")))
                       .arg(core.uartSettings().baud)
                       .arg(framingName(core.uartSettings()))
                       .arg(options.radio.rssiAt(letter));
    if (options.hangupAfter.contains(letter))
        seen += QStringLiteral(", hangs up after %1 bytes").arg(options.hangupAfter.value(letter));
    if (options.unplugged.contains(letter))
        seen += QStringLiteral(", unplugged");
    if (config.silent)
        seen += QStringLiteral(", silent");
    for (auto it = config.faults.cbegin(); it != config.faults.cend(); ++it)
        seen += QStringLiteral(", holds %1 %2").arg(QString::fromLatin1(it.key()), QString::fromLatin1(it.value()));
    QCOMPARE(seen, module);
    // For all of them.
    QCOMPARE(registers.query("SH") + ' ' + registers.query("CT"), QByteArray("13A200 14"));
    QCOMPARE(options.radio.loss, 0.5);
    QVERIFY(config.strictFraming);
    QCOMPARE(config.refused, QSet<QByteArray>{"WR"});
}

void TestSimOptions::controlCommand_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("modules");
    QTest::addColumn<QString>("command"); // action and letters; empty: none
    QTest::addColumn<QString>("error");   // empty: nothing to report

    // clang-format off
    QTest::newRow("blanks around") << "  unplug \t b " << 2 << "unplug B" << QString();
    QTest::newRow("any case, all") << "PLUG all" << 4 << "plug A B C D" << QString();
    QTest::newRow("factory settings for all") << "Factory ALL" << 3 << "factory A B C" << QString();
    QTest::newRow("unknown") << "dance C" << 3 << QString() << "\"dance C\" is not a command";
    QTest::newRow("one beyond the modules") << "unplug D" << 3 << QString()
                                            << "\"unplug D\": there is no module D (the modules are A to C)";
    QTest::newRow("not a letter") << "plug AB" << 8 << QString() << "there is no module AB (the modules are A to H)";
    // clang-format on
}

void TestSimOptions::controlCommand()
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

void TestSimOptions::heardReplies_data()
{
    QTest::addColumn<QByteArrayList>("packets");
    QTest::addColumn<QByteArrayList>("replies");

    // clang-format off
    QTest::newRow("with and without RSSI, split and joined")
        << QByteArrayList{"HEARD 17 -74\rHEA", "RD 18\r"} << QByteArrayList{"HEARD 17 -74", "HEARD 18"};
    QTest::newRow("line feed after the carriage return")
        << QByteArrayList{"HEARD 1\r\n", "HEARD 2\r\n"} << QByteArrayList{"HEARD 1", "HEARD 2"};
    QTest::newRow("not replies") << QByteArrayList{"THE QUICK BROWN FOX 3\rHEARD\rHEARD x\rHEARD 5 -7 dBm\r"}
                                 << QByteArrayList();
    QTest::newRow("a reply after an endless line")
        << QByteArrayList{QByteArray(100, 'x') + "HEARD 1", "\rHEARD 2\r"} << QByteArrayList{"HEARD 2"};
    // clang-format on
}

// The replies of a receiving Tarnowick that the --auto-transmit module counts.
void TestSimOptions::heardReplies()
{
    QFETCH(QByteArrayList, packets);
    QFETCH(QByteArrayList, replies);

    HeardReplies counter;
    QByteArrayList found;
    for (const QByteArray &packet : std::as_const(packets))
        found += counter.feed(packet);
    QCOMPARE(found, replies);
    QCOMPARE(counter.count(), replies.size());
}

QTEST_GUILESS_MAIN(TestSimOptions)
#include "tst_simoptions.moc"
