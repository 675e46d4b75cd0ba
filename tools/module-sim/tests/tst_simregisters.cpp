#include "atcommandline.h"
#include "registerbank.h"

#include <QTest>

class TestSimRegisters : public QObject
{
    Q_OBJECT

private slots:
    void defaults_data();
    void defaults();
    void set_data();
    void set();
    void serialNumberPerModule();
    void restoreRoundTrip();
    void restoreRefuses_data();
    void restoreRefuses();
    void parseLine_data();
    void parseLine();
};

void TestSimRegisters::defaults_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("reply");

    const QList<QPair<const char *, const char *>> rows = {
        {"VR", "8059"},   {"TO", "C0"},   {"CM", "3EFFFDFF"}, {"ID", "7FFF"}, {"MT", "3"},
        {"SH", "13A200"}, {"DL", "FFFF"}, {"DH", "0"},        {"NI", " "},    {"PL", "4"},
        {"RR", "A"},      {"CE", "0"},    {"BD", "3"},        {"NB", "0"},    {"SB", "0"},
        {"RO", "3"},      {"AP", "0"},    {"DB", "0"},        {"GT", "3E8"},  {"CT", "64"}};
    for (const auto &row : rows)
        QTest::newRow(row.first) << QByteArray(row.first) << QByteArray(row.second);
}

void TestSimRegisters::defaults()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, reply);
    QCOMPARE(RegisterBank().query(name), reply);
}

void TestSimRegisters::set_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("parameter");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("ID plain") << QByteArray("ID") << QByteArray("3333") << true << QByteArray("3333");
    QTest::newRow("ID 0x prefix") << QByteArray("ID") << QByteArray("0x4444") << true << QByteArray("4444");
    QTest::newRow("ID 0X lower digits") << QByteArray("ID") << QByteArray("0X7ffe") << true << QByteArray("7FFE");
    QTest::newRow("ID leading zeros") << QByteArray("ID") << QByteArray("00000012") << true << QByteArray("12");
    QTest::newRow("ID zero") << QByteArray("ID") << QByteArray("0") << true << QByteArray("0");
    QTest::newRow("ID above 7FFF") << QByteArray("ID") << QByteArray("8000") << false << QByteArray("7FFF");
    QTest::newRow("ID not hex") << QByteArray("ID") << QByteArray("12G") << false << QByteArray("7FFF");
    QTest::newRow("ID negative") << QByteArray("ID") << QByteArray("-1") << false << QByteArray("7FFF");
    QTest::newRow("ID bare prefix") << QByteArray("ID") << QByteArray("0x") << false << QByteArray("7FFF");
    QTest::newRow("ID inner blank") << QByteArray("ID") << QByteArray("33 33") << false << QByteArray("7FFF");
    QTest::newRow("MT top") << QByteArray("MT") << QByteArray("5") << true << QByteArray("5");
    QTest::newRow("MT above") << QByteArray("MT") << QByteArray("6") << false << QByteArray("3");
    QTest::newRow("CM scoreboard") << QByteArray("CM") << QByteArray("3EFFFC00") << true << QByteArray("3EFFFC00");
    QTest::newRow("CM lowest") << QByteArray("CM") << QByteArray("3") << true << QByteArray("3");
    QTest::newRow("CM below 3") << QByteArray("CM") << QByteArray("2") << false << QByteArray("3EFFFDFF");
    QTest::newRow("CM channel 9") << QByteArray("CM") << QByteArray("203") << false << QByteArray("3EFFFDFF");
    QTest::newRow("CM channel 24") << QByteArray("CM") << QByteArray("1000003") << false << QByteArray("3EFFFDFF");
    QTest::newRow("CM beyond 29") << QByteArray("CM") << QByteArray("40000003") << false << QByteArray("3EFFFDFF");
    QTest::newRow("DL 32 bits") << QByteArray("DL") << QByteArray("FFFFFFFF") << true << QByteArray("FFFFFFFF");
    QTest::newRow("DL 33 bits") << QByteArray("DL") << QByteArray("100000000") << false << QByteArray("FFFF");
    QTest::newRow("DH zero padded 32 bits")
        << QByteArray("DH") << QByteArray("0013A200") << true << QByteArray("13A200");
    QTest::newRow("TO top") << QByteArray("TO") << QByteArray("FF") << true << QByteArray("FF");
    QTest::newRow("TO above") << QByteArray("TO") << QByteArray("100") << false << QByteArray("C0");
    QTest::newRow("PL above") << QByteArray("PL") << QByteArray("5") << false << QByteArray("4");
    QTest::newRow("RR top") << QByteArray("RR") << QByteArray("F") << true << QByteArray("F");
    QTest::newRow("CE above") << QByteArray("CE") << QByteArray("3") << false << QByteArray("0");
    QTest::newRow("BD 230400") << QByteArray("BD") << QByteArray("8") << true << QByteArray("8");
    QTest::newRow("BD above") << QByteArray("BD") << QByteArray("9") << false << QByteArray("3");
    QTest::newRow("NB space") << QByteArray("NB") << QByteArray("4") << true << QByteArray("4");
    QTest::newRow("NB above") << QByteArray("NB") << QByteArray("5") << false << QByteArray("0");
    QTest::newRow("SB above") << QByteArray("SB") << QByteArray("2") << false << QByteArray("0");
    QTest::newRow("RO top") << QByteArray("RO") << QByteArray("FF") << true << QByteArray("FF");
    QTest::newRow("AP above") << QByteArray("AP") << QByteArray("3") << false << QByteArray("0");
    QTest::newRow("GT below") << QByteArray("GT") << QByteArray("1") << false << QByteArray("3E8");
    QTest::newRow("GT lowest") << QByteArray("GT") << QByteArray("2") << true << QByteArray("2");
    QTest::newRow("GT above") << QByteArray("GT") << QByteArray("CE5") << false << QByteArray("3E8");
    QTest::newRow("CT top") << QByteArray("CT") << QByteArray("1770") << true << QByteArray("1770");
    QTest::newRow("CT above") << QByteArray("CT") << QByteArray("1771") << false << QByteArray("64");
    QTest::newRow("NI text") << QByteArray("NI") << QByteArray("Shed roof 2") << true << QByteArray("Shed roof 2");
    QTest::newRow("NI 20 characters") << QByteArray("NI") << QByteArray(20, 'x') << true << QByteArray(20, 'x');
    QTest::newRow("NI 21 characters") << QByteArray("NI") << QByteArray(21, 'x') << false << QByteArray(" ");
    QTest::newRow("NI control character") << QByteArray("NI") << QByteArray("a\x01") << false << QByteArray(" ");
    QTest::newRow("VR read-only") << QByteArray("VR") << QByteArray("1") << false << QByteArray("8059");
    QTest::newRow("SH read-only") << QByteArray("SH") << QByteArray("1") << false << QByteArray("13A200");
    QTest::newRow("DB read-only") << QByteArray("DB") << QByteArray("4A") << false << QByteArray("0");
    QTest::newRow("HV read-only") << QByteArray("HV") << QByteArray("1") << false << QByteArray("2E41");
}

void TestSimRegisters::set()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, parameter);
    QFETCH(bool, accepted);
    QFETCH(QByteArray, after);

    RegisterBank bank;
    QCOMPARE(bank.set(name, parameter), accepted);
    QCOMPARE(bank.query(name), after);
}

void TestSimRegisters::serialNumberPerModule()
{
    const RegisterBank a(0x40F1A001);
    const RegisterBank b(0x40F1A002);
    QCOMPARE(a.query("SL"), QByteArray("40F1A001"));
    QCOMPARE(b.query("SL"), QByteArray("40F1A002"));
    QVERIFY(!RegisterBank::storedNames().contains("SL"));
}

void TestSimRegisters::restoreRoundTrip()
{
    RegisterBank written;
    QVERIFY(written.set("ID", "3333"));
    QVERIFY(written.set("CM", "3EFFFC00"));
    QVERIFY(written.set("NI", "Mast"));
    QVERIFY(written.set("GT", "32"));

    RegisterBank restored;
    QString error;
    QVERIFY2(restored.restore(written.storedState(), &error), qPrintable(error));
    for (const QByteArray &name : RegisterBank::storedNames())
        QCOMPARE(restored.query(name), written.query(name));
}

void TestSimRegisters::restoreRefuses_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QJsonValue>("value");

    QTest::newRow("out of range") << QStringLiteral("ID") << QJsonValue(QStringLiteral("8000"));
    QTest::newRow("not a string") << QStringLiteral("ID") << QJsonValue(3333);
    QTest::newRow("read-only register") << QStringLiteral("SL") << QJsonValue(QStringLiteral("1"));
    QTest::newRow("unknown register") << QStringLiteral("ZZ") << QJsonValue(QStringLiteral("1"));
}

void TestSimRegisters::restoreRefuses()
{
    QFETCH(QString, key);
    QFETCH(QJsonValue, value);

    QJsonObject state{{QStringLiteral("MT"), QStringLiteral("1")}};
    state.insert(key, value);
    RegisterBank bank;
    QString error;
    QVERIFY(!bank.restore(state, &error));
    QVERIFY(!error.isEmpty());
    // All or nothing: the good entry did not get in either.
    QCOMPARE(bank.query("MT"), QByteArray("3"));
}

void TestSimRegisters::parseLine_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("isCommandLine");
    QTest::addColumn<QStringList>("commands");

    QTest::newRow("query") << QByteArray("ATID") << true << QStringList{"ID:"};
    QTest::newRow("set") << QByteArray("ATID3333") << true << QStringList{"ID:3333"};
    QTest::newRow("equals sign") << QByteArray("ATID=3333") << true << QStringList{"ID:3333"};
    QTest::newRow("blank") << QByteArray("ATID 3333") << true << QStringList{"ID:3333"};
    QTest::newRow("blanks around equals") << QByteArray("ATID = 3333") << true << QStringList{"ID:3333"};
    QTest::newRow("lower case") << QByteArray("atid0x3333") << true << QStringList{"ID:0x3333"};
    QTest::newRow("chain") << QByteArray("ATID3333,WR,CN") << true << QStringList{"ID:3333", "WR:", "CN:"};
    QTest::newRow("chain with blanks") << QByteArray("ATID 1, MT 2") << true << QStringList{"ID:1", "MT:2"};
    QTest::newRow("text parameter") << QByteArray("ATNI My node") << true << QStringList{"NI:My node"};
    QTest::newRow("bare AT") << QByteArray("AT") << true << QStringList{};
    QTest::newRow("empty entry") << QByteArray("ATID,,WR") << true << QStringList{"ID:", ":", "WR:"};
    QTest::newRow("one letter") << QByteArray("ATI") << true << QStringList{":"};
    QTest::newRow("no AT") << QByteArray("ID3333") << false << QStringList{};
    QTest::newRow("data") << QByteArray("THE QUICK BROWN FOX 1") << false << QStringList{};
}

void TestSimRegisters::parseLine()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, isCommandLine);
    QFETCH(QStringList, commands);

    QList<AtCommand> parsed;
    QCOMPARE(parseAtLine(line, &parsed), isCommandLine);
    QStringList actual;
    for (const AtCommand &command : parsed)
        actual.append(QString::fromLatin1(command.name + ':' + command.parameter));
    QCOMPARE(actual, commands);
}

QTEST_GUILESS_MAIN(TestSimRegisters)
#include "tst_simregisters.moc"
