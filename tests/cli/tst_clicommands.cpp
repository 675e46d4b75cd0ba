// tarnowick-cli's commands in process, on a fake clock against a module on a
// scripted line: what each prints where, its exit status, what its write or
// an ATWR of "at" leaves in the programming record, and where "at" leaves
// the port.
#include "cli/clioptions.h"
#include "cli/history.h"
#include "isolatedsettings.h"
#include "lineconnection.h"
#include "logic/programmingrecord.h"

#include <QTest>

Q_DECLARE_METATYPE(LineModuleSetup)

namespace {

const QStringList readEntries = QString("VR VH HV TO CM ID MT SH SL DL DH NI PL RR CE BD NB SB RO AP").split(' ');

// What a module fresh from the factory answers to a read.
LineModuleSetup factoryModule(const QMap<QString, QString> &changes = {})
{
    const QStringList values =
        QString("8059 12 2E41 C0 3EFFFDFF 7FFF 3 13A200 40F1A001 FFFF 0 - 4 A 0 3 0 0 3 0").split(' ');
    LineModuleSetup setup;
    for (int i = 0; i < readEntries.size(); ++i)
        setup.replies.insert(readEntries.at(i), values.at(i) == "-" ? " " : values.at(i));
    for (auto it = changes.begin(); it != changes.end(); ++it)
        setup.replies.insert(it.key(), it.value());
    return setup;
}

QStringList readLines()
{
    QStringList lines;
    const LineModuleSetup module = factoryModule();
    for (const QString &entry : readEntries)
        lines.append(entry + '=' + module.replies.value(entry).trimmed());
    return lines;
}

QString sortedKeys(const SettingValues &values)
{
    QStringList keys = values.keys();
    keys.sort();
    return keys.join(',');
}

// The last record as a line a table can hold.
QString lastRecord(const QString &path)
{
    QString error;
    const QList<ProgrammingRecord> records = ProgrammingLog::read(path, &error);
    if (records.isEmpty())
        return QString();
    const ProgrammingRecord &record = records.constLast();
    QStringList mismatches;
    for (const ReadBack::Mismatch &mismatch : record.mismatches)
        mismatches.append(mismatch.command);
    return QString("verified=%1 interrupted=%2 written=%3 refused=%4 mismatches=%5 module=%6 reason=%7")
        .arg(record.verified)
        .arg(record.interrupted)
        .arg(record.written.size())
        .arg(record.refused.join(','), mismatches.join(','), sortedKeys(record.module), record.reason);
}

const QByteArray scoreboard =
    R"({"format": "tarnowick-profile", "version": 1, "settings": {"TO": "40", "CM": "3EFFFC00",
    "ID": "3333", "MT": "0", "DL": "FFFF", "DH": "0", "BD": "3", "NB": "0", "SB": "0", "RO": "3", "AP": "0"}})";

} // namespace

class tst_CliCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void commands_data();
    void commands();
    void history_data();
    void history();
    void at_data();
    void at();
    void atOptions_data();
    void atOptions();

private:
    QString path(const QString &name) const { return settings.recordPath() + "-files/" + name; }
    QStringList arguments(const QStringList &given) const;

    IsolatedSettings settings;
};

void tst_CliCommands::initTestCase()
{
    QVERIFY(QDir().mkpath(path("")));
    const QList<QPair<QString, QByteArray>> files = {
        {"scoreboard.tarnowick-profile", scoreboard},
        {"parity.tarnowick-profile", R"({"format": "tarnowick-profile", "version": 1, "settings": {"NB": "1"}})"},
        {"defaults.tarnowick-profile",
         R"({"format": "tarnowick-profile", "version": 1, "settings": {"ID": "7fff", "CM": "3EFFFDFF"}})"},
    };
    for (const auto &[name, bytes] : files) {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
}

QStringList tst_CliCommands::arguments(const QStringList &given) const
{
    QStringList list{"tarnowick-cli"};
    for (const QString &argument : given)
        list.append(argument.startsWith("FILE:") ? path(argument.mid(5)) : argument);
    if (given.value(0) == "write" && !given.contains("--log"))
        list << "--log" << path("record.jsonl");
    return list;
}

// clang-format off
void tst_CliCommands::commands_data()
{
    QTest::addColumn<LineModuleSetup>("module");
    QTest::addColumn<QStringList>("arguments"); // "FILE:x" is a file of the test; --port is added
    QTest::addColumn<QString>("interruptAt");   // Ctrl-C when this entry goes out
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("out");
    QTest::addColumn<QStringList>("err");
    QTest::addColumn<QString>("record");        // the write's record; empty: none added

    const QStringList write{"write", "FILE:scoreboard.tarnowick-profile"};
    const QString verified = "verified=1 interrupted=0 written=11 refused= mismatches= module=SH,SL,VR reason=";
    const QString didNotAnswer = "The module did not answer. Check the port, the baud rate and the module's power.";
    const QStringList wrote{"Wrote 11 settings.", "Read back: all 11 settings match."};

    LineModuleSetup killedWrite = factoryModule();
    killedWrite.staleLine = "OK"; // the reply to the entry it was killed at
    killedWrite.inCommandMode = true;
    LineModuleSetup keepsCm = factoryModule();
    keepsCm.holds.insert("CM", "3EFFFDFF");
    LineModuleSetup noParity = factoryModule();
    noParity.portTakesParity = false;
    LineModuleSetup silent = factoryModule({{"+++", "-"}});

    QTest::newRow("read") << factoryModule() << QStringList{"read"} << "" << 0 << readLines() << QStringList{} << "";
    QTest::newRow("read: a killed write's OK waits in the port") << killedWrite << QStringList{"read"} << "" << 1
        << QStringList{} << QStringList{didNotAnswer} << "";
    QTest::newRow("write") << factoryModule() << write << "" << 0 << wrote << QStringList{} << verified;
    QTest::newRow("write: the module keeps another CM") << keepsCm << write << "" << 1
        << QStringList{"Wrote 11 settings."} << QStringList{"Read back: CM holds 3EFFFDFF, not 3EFFFC00."}
        << "verified=0 interrupted=0 written=11 refused= mismatches=CM module=SH,SL,VR reason=";
    QTest::newRow("write: ID refused") << factoryModule({{"ID=3333", "ERROR"}}) << write << "" << 1 << QStringList{}
        << QStringList{"The module refused: ID=3333", "Read back: ID holds 7FFF, not 3333."}
        << "verified=0 interrupted=0 written=10 refused=ID=3333 mismatches=ID module=SH,SL,VR reason=";
    // Everything reads back as written, but nothing was stored.
    QTest::newRow("write: WR refused") << factoryModule({{"WR", "ERROR"}}) << write << "" << 1
        << QStringList{"Read back: all 11 settings match."}
        << QStringList{"The module refused: WR", "The settings were not stored."}
        << "verified=0 interrupted=0 written=11 refused=WR mismatches= module=SH,SL,VR reason=";
    QTest::newRow("write: ATCN refused") << factoryModule({{"CN", "ERROR"}}) << write << "" << 1 << QStringList{}
        << QStringList{"The module did not leave command mode; nothing it took has taken effect yet. Try again, or "
                       "switch the module off and on."}
        << "verified=0 interrupted=0 written=11 refused= mismatches= module=SH,SL,VR reason=the module did not leave command mode";
    QTest::newRow("write: NB=1 on a port without parity") << noParity
        << QStringList{"write", "FILE:parity.tarnowick-profile"} << "" << 2 << QStringList{}
        << QStringList{"This port cannot use even parity: writing NB=1 would cut it off from the module."} << "";
    QTest::newRow("write: Ctrl-C at the fifth setting") << factoryModule() << write << "DL=FFFF" << 130 << QStringList{}
        << QStringList{"Interrupted: 5 of 11 settings were sent; they are active until the module restarts, none was stored."}
        << "verified=0 interrupted=1 written=5 refused= mismatches= module= reason=interrupted";
    QTest::newRow("write: Ctrl-C while reading back") << factoryModule() << write << "SH" << 130 << QStringList{}
        << QStringList{"Interrupted: 11 of 11 settings were sent; they are active until the module restarts, all were stored."}
        << "verified=0 interrupted=1 written=11 refused= mismatches= module=SH reason=interrupted";
    QTest::newRow("write: Ctrl-C before +++") << factoryModule() << write << "+++" << 130 << QStringList{}
        << QStringList{"Interrupted; the module is not left in command mode."} << "";
    QTest::newRow("write: the record cannot be appended") << factoryModule()
        << (write + QStringList{"--log", "FILE:scoreboard.tarnowick-profile/record.jsonl"}) << "" << 2 << QStringList{}
        << QStringList{"The programming record cannot be written: cannot create the folder "
                       + path("scoreboard.tarnowick-profile")} << "";
    QTest::newRow("write --no-verify: the record still names the module") << factoryModule()
        << (write + QStringList{"--no-verify"}) << "" << 0 << QStringList{"Wrote 11 settings."} << QStringList{}
        << "verified=0 interrupted=0 written=11 refused= mismatches= module=SH,SL,VR reason=not read back";
    // A search that finds nobody names the rates it tried and what else may keep a module silent.
    QTest::newRow("search: nobody answers") << silent << QStringList{"search"} << "" << 1 << QStringList{}
        << QStringList{"No module answered at 9600, 115200, 57600, 38400, 19200, 4800, 2400 or 1200 baud (8N1, up to "
                       "the longest guard time). The module may be asleep, set to a framing or rate this port does "
                       "not offer, in another program's hands, or without power; check the cable too."} << "";
    QTest::newRow("check: the same") << factoryModule() << QStringList{"check", "FILE:defaults.tarnowick-profile"} << ""
        << 0 << QStringList{"Same as the profile."} << QStringList{} << "";
    QTest::newRow("check: differs") << factoryModule() << QStringList{"check", "FILE:scoreboard.tarnowick-profile"}
        << "" << 1 << QStringList{"TO: module C0, profile 40", "CM: module 3EFFFDFF, profile 3EFFFC00",
                                  "ID: module 7FFF, profile 3333", "MT: module 3, profile 0"} << QStringList{} << "";
    QTest::newRow("check: no answer") << silent << QStringList{"check", "FILE:defaults.tarnowick-profile"} << "" << 3
        << QStringList{} << QStringList{didNotAnswer} << "";
    QTest::newRow("save") << factoryModule() << QStringList{"save", "FILE:saved.tarnowick-profile"} << "" << 0
        << QStringList{"Saved 11 settings."} << QStringList{} << "";
    QTest::newRow("save: an error reply is no value") << factoryModule({{"CM", "ERROR"}})
        << QStringList{"save", "FILE:saved.tarnowick-profile"} << "" << 1 << QStringList{}
        << QStringList{"Invalid value for CM: ERROR."} << "";
}
// clang-format on

void tst_CliCommands::commands()
{
    QFETCH(LineModuleSetup, module);
    QFETCH(QStringList, arguments);
    QFETCH(QString, interruptAt);
    QFETCH(int, status);
    QFETCH(QStringList, out);
    QFETCH(QStringList, err);
    QFETCH(QString, record);

    QFile::remove(path("record.jsonl"));
    const CliOptions options = parseCliOptions(this->arguments(arguments + QStringList{"--port", "/dev/line"}));
    QCOMPARE(options.outcome, CliOptions::Run);
    LineBench bench;
    bench.lastWriteMsAgo = 10;
    bench.plug("/dev/line", module);
    const LineModule &line = *bench.module("/dev/line");
    const LineBench::Ran ran = bench.run(options, "/dev/line", interruptAt);

    QCOMPARE(ran.printed, out);
    QCOMPARE(ran.said, err);
    QCOMPARE(ran.status, status);
    QCOMPARE(lastRecord(path("record.jsonl")), record);
    // However it ended, the module is not left in command mode, unless it refuses to leave.
    if (!module.inCommandMode && !module.replies.contains("CN"))
        QVERIFY(!line.inCommandMode());
    if (status == 2)
        QVERIFY(line.wire().isEmpty());
}

void tst_CliCommands::history_data()
{
    QTest::addColumn<QString>("module");
    QTest::addColumn<QStringList>("out");
    QTest::addColumn<QStringList>("err");

    const QString first = "2026-12-06T17:03:40Z  13A20040F1A001  site-1.tarnowick-profile  verified";
    const QString second = "2026-12-06T17:05:12Z  13A20040F1A002  (no profile)  not verified (not read back)";
    const QString skipped = "Skipped 2 lines of %1 that are no record.";
    QTest::newRow("all") << "" << QStringList{first, second} << QStringList{skipped};
    QTest::newRow("by SL") << "40f1a002" << QStringList{second} << QStringList{skipped};
    QTest::newRow("by the serial number as printed") << "13A20040F1A001" << QStringList{first} << QStringList{skipped};
    QTest::newRow("no such module") << "40F1A003" << QStringList{} << QStringList{skipped};
}

void tst_CliCommands::history()
{
    QFETCH(QString, module);
    QFETCH(QStringList, out);
    QFETCH(QStringList, err);

    const QByteArray lines =
        R"({"time": "2026-12-06T17:03:40.123Z", "module": {"SH": "13A200", "SL": "40F1A001"}, "profile": {"file": "site-1.tarnowick-profile", "sha256": "00"}, "written": {"ID": "3333"}, "verified": true})"
        "\nnot a record\n"
        R"({"time": "2026-12-06T17:05:12Z", "module": {"SH": "13A200", "SL": "40F1A002"}, "written": {}, "verified": false, "reason": "not read back"})"
        "\n{\"half\": \n";
    QFile log(path("history.jsonl"));
    QVERIFY(log.open(QIODevice::WriteOnly) && log.write(lines) == lines.size());
    log.close();
    QStringList given{"history", "--log", path("history.jsonl")};
    if (!module.isEmpty())
        given << "--module" << module;
    const CliOptions options = parseCliOptions(arguments(given));
    QCOMPARE(options.outcome, CliOptions::Run);
    QStringList printed, said;
    QCOMPARE(printHistory(
                 options, [&](const QString &text) { printed.append(text); },
                 [&](const QString &text) { said.append(text); }),
             0);
    QCOMPARE(printed, out);
    QCOMPARE(said, err.replaceInStrings("%1", path("history.jsonl")));
}

// clang-format off
void tst_CliCommands::at_data()
{
    QTest::addColumn<LineModuleSetup>("module");
    QTest::addColumn<QStringList>("arguments"); // after "at --port /dev/line"
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("out");
    QTest::addColumn<QStringList>("err");
    QTest::addColumn<QStringList>("wire");      // after "+++" and "CT"
    QTest::addColumn<QString>("record");        // the module named in it and what was written; empty: none

    const LineModuleSetup module = factoryModule({{"NO", "0"}, {"ID 99999", "ERROR"}});

    QTest::newRow("one line per command") << module << QStringList{"ATNO", "ATNI GATE-WEST", "ATWR"} << 0
        << QStringList{"ATNO → 0", "ATNI GATE-WEST → OK", "ATWR → OK"} << QStringList{}
        << QStringList{"NO", "NI GATE-WEST", "WR", "SH", "SL", "VR", "CN"} << "13A20040F1A001 NI=GATE-WEST";
    QTest::newRow("--json") << module << QStringList{"ATNO", "ATNI GATE-WEST", "--json"} << 0
        << QStringList{R"({"baud":9600,"commands":[{"command":"ATNO","reply":"0"},{"command":"ATNI GATE-WEST","reply":"OK"}],"port":"/dev/line"})"}
        << QStringList{} << QStringList{"NO", "NI GATE-WEST", "CN"} << "";
    QTest::newRow("an ERROR stops the rest") << module << QStringList{"ATID 99999", "ATNO", "--json"} << 1
        << QStringList{R"({"baud":9600,"commands":[{"command":"ATID 99999","reply":"ERROR"},{"command":"ATNO","reply":null}],"port":"/dev/line"})"}
        << QStringList{"The module refused ATID 99999; the command after it was not sent."}
        << QStringList{"ID 99999", "CN"} << "";
    QTest::newRow("refused: the module would sleep") << module << QStringList{"ATSM 1"} << 2 << QStringList{}
        << QStringList{"SM 1 puts the module to sleep: it stops answering and no longer listens to its serial line.",
                       "Nothing was sent: ATSM 1 may cut this PC off from the module; --force sends it anyway."}
        << QStringList{} << "";
    QTest::newRow("--force") << module << QStringList{"ATD6 1", "--force"} << 0 << QStringList{"ATD6 1 → OK"}
        << QStringList{} << QStringList{"D6 1", "CN"} << "";
    // Followed and remembered: the next command on this port starts at 19200 8E1.
    QTest::newRow("BD and NB followed") << module << QStringList{"ATBD 4", "ATNB 1"} << 0
        << QStringList{"ATBD 4 → OK", "ATNB 1 → OK"}
        << QStringList{"The module now runs at 19200 baud, 8E1; later commands on this port use that."}
        << QStringList{"BD 4", "NB 1", "CN"} << "";
}
// clang-format on

void tst_CliCommands::at()
{
    QFETCH(LineModuleSetup, module);
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QStringList, out);
    QFETCH(QStringList, err);
    QFETCH(QStringList, wire);
    QFETCH(QString, record);

    const IsolatedSettings settings; // a fresh memory of the ports, and a record of its own
    const CliOptions options = parseCliOptions(
        QStringList{"tarnowick-cli", "at", "--port", "/dev/line", "--log", settings.recordPath()} + arguments);
    QCOMPARE(options.outcome, CliOptions::Run);
    LineBench bench;
    bench.plug("/dev/line", module);
    const LineModule &line = *bench.module("/dev/line");
    const LineBench::Ran ran = bench.run(options);

    QCOMPARE(ran.printed, out);
    QCOMPARE(ran.said, err);
    QCOMPARE(ran.status, status);
    QStringList sent;
    for (const QString &token : line.wire().mid(2))
        sent.append(token.section('@', 0, 0));
    QCOMPARE(sent, wire);
    QVERIFY(!line.inCommandMode());
    QString error;
    const QList<ProgrammingRecord> records = ProgrammingLog::read(settings.recordPath(), &error);
    QCOMPARE(records.size(), record.isEmpty() ? 0 : 1);
    if (!records.isEmpty()) {
        const ProgrammingRecord &kept = records.constFirst();
        QStringList written;
        for (auto it = kept.written.begin(); it != kept.written.end(); ++it)
            written.append(it.key() + '=' + it.value());
        QCOMPARE(kept.module.value("SH") + kept.module.value("SL") + ' ' + written.join(' '), record);
        QCOMPARE(kept.port, "/dev/line");
    }
}

// clang-format off
void tst_CliCommands::atOptions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("problem"); // empty: valid

    QTest::newRow("commands in order") << QStringList{"at", "--port", "/dev/x", "ATNO", "ATNI GATE-WEST"} << "";
    QTest::newRow("no command") << QStringList{"at", "--port", "/dev/x"}
        << "at needs one or more AT commands: ATNO \"ATNI GATE-WEST\".";
    QTest::newRow("no port") << QStringList{"at", "ATNO"} << "No port given: --port NAME.";
}
// clang-format on

void tst_CliCommands::atOptions()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, problem);

    const CliOptions options = parseCliOptions(QStringList{"tarnowick-cli"} + arguments);
    QCOMPARE(options.text, problem);
    QCOMPARE(options.outcome, problem.isEmpty() ? CliOptions::Run : CliOptions::Invalid);
    if (problem.isEmpty())
        QCOMPARE(options.atCommands, arguments.mid(3));
}

QTEST_GUILESS_MAIN(tst_CliCommands)
#include "tst_clicommands.moc"
