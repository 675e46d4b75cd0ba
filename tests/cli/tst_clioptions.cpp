// What tarnowick-cli makes of its command line, before any port is opened.
#include "cli/clioptions.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(CliOptions::Outcome)

class tst_CliOptions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void parse_data();
    void parse();

private:
    QTemporaryDir files;
};

void tst_CliOptions::initTestCase()
{
    QVERIFY(files.isValid());
    QFile profile(files.filePath("site.tarnowick-profile"));
    QVERIFY(profile.open(QIODevice::WriteOnly)
            && profile.write(R"({"format": "tarnowick-profile", "version": 1, "settings": {"ID": "3333"}})") > 0);
    QVERIFY(QDir::setCurrent(files.path()));
}

// clang-format off
void tst_CliOptions::parse_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<CliOptions::Outcome>("outcome");
    QTest::addColumn<QStringList>("text");    // each contained in the help or the complaint
    QTest::addColumn<QStringList>("absent");  // none contained
    QTest::addColumn<QString>("port");        // as the command will open it ("CWD/" the working folder)
    QTest::addColumn<QString>("framing");     // baud/parity/stop bits as given, "-" for none

    const QStringList none;
    QTest::newRow("read") << "read --port /dev/ttyUSB0" << CliOptions::Run << none << none << "/dev/ttyUSB0" << "-/-/-";
    QTest::newRow("framing given") << "read --port COM3 --baud 19200 --parity even --stop-bits 2" << CliOptions::Run
        << none << none << "COM3" << "19200/1/1";
    QTest::newRow("a relative path") << "read --port i1/moduleA" << CliOptions::Run << none << none
        << "CWD/i1/moduleA" << "-/-/-";
    QTest::newRow("an argument too many") << "read --port P extra" << CliOptions::Invalid
        << QStringList{"read takes no file or other argument: extra."} << none << "" << "";
    QTest::newRow("two profiles") << "write site.tarnowick-profile site.tarnowick-profile --port P"
        << CliOptions::Invalid << QStringList{"write needs one profile file, not 2."} << none << "" << "";
    QTest::newRow("no profile") << "check --port P" << CliOptions::Invalid << QStringList{"check needs one profile file."}
        << none << "" << "";
    QTest::newRow("empty port") << "read --port=" << CliOptions::Invalid << QStringList{"No port given: --port NAME."}
        << none << "" << "";
    QTest::newRow("mark parity") << "read --port P --parity mark" << CliOptions::Invalid
        << QStringList{"Not a parity: mark (none, even or odd)."} << none << "" << "";
    QTest::newRow("230400 baud") << "read --port P --baud 230400" << CliOptions::Invalid
        << QStringList{"Not a baud rate: 230400."} << none << "" << "";
    QTest::newRow("an option of another command") << "read --port P --no-verify" << CliOptions::Invalid
        << QStringList{"Unknown option 'no-verify'."} << none << "" << "";
    QTest::newRow("a bad profile") << "write missing.tarnowick-profile --port P" << CliOptions::Invalid
        << QStringList{"missing.tarnowick-profile: "} << none << "" << "";
    QTest::newRow("unknown command") << "frob" << CliOptions::Invalid << QStringList{"Unknown command frob."} << none
        << "" << "";
    QTest::newRow("help") << "--help" << CliOptions::ShowHelp
        << QStringList{"write   FILE --port P… | --all-ports [--port-glob PATTERN] [--baud N] [--parity "
                       "none|even|odd] [--stop-bits 1|2] [--search] [--no-verify] [--log FILE] [--name PATTERN "
                       "[--first N]] [--set XX=VALUE]… [--json]",
                       "history [--module SERIAL] [--log FILE]", "ports   [--probe] [--json] [--port-glob PATTERN]",
                       "bench   PROFILE", "130 interrupted", "3 check: the module did not answer",
                       "later commands on this port"}
        << none << "" << "";
    QTest::newRow("help of one command") << "read --help" << CliOptions::ShowHelp
        << QStringList{"Usage: tarnowick-cli read --port P", "--json"} << QStringList{"--no-verify", "history"}
        << "" << "";
}
// clang-format on

void tst_CliOptions::parse()
{
    QFETCH(QString, arguments);
    QFETCH(CliOptions::Outcome, outcome);
    QFETCH(QStringList, text);
    QFETCH(QStringList, absent);
    QFETCH(QString, port);
    QFETCH(QString, framing);

    const CliOptions options = parseCliOptions(QStringList{"tarnowick-cli"} + arguments.split(' '));
    QCOMPARE(options.outcome, outcome);
    for (const QString &part : text)
        QVERIFY2(options.text.contains(part), qPrintable(options.text));
    for (const QString &part : absent)
        QVERIFY2(!options.text.contains(part), qPrintable(options.text));
    if (outcome != CliOptions::Run)
        return;
    QCOMPARE(options.ports.join(' '), QString(port).replace("CWD", QDir::currentPath()));
    const auto shown = [](const std::optional<int> &value) { return value ? QString::number(*value) : "-"; };
    QCOMPARE(QString("%1/%2/%3").arg(shown(options.baud), shown(options.parity), shown(options.stopBits)), framing);
}

QTEST_GUILESS_MAIN(tst_CliOptions)
#include "tst_clioptions.moc"
