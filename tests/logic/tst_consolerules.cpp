// The console's rules that need no module: a typed line as it goes out and
// what the module makes of it, the commands that cut the PC off, and the
// lines Up and Down bring back.
#include "logic/atline.h"
#include "logic/commandhistory.h"
#include "logic/consolewarnings.h"

#include <QTest>

class tst_ConsoleRules : public QObject
{
    Q_OBJECT

private slots:
    void prefix_data();
    void prefix();
    void commands_data();
    void commands();
    void warnings_data();
    void warnings();
    void history_data();
    void history();
};

// clang-format off
void tst_ConsoleRules::prefix_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("line"); // as it goes out, before its CR

    QTest::newRow("AT added") << "NO" << "ATNO";
    QTest::newRow("AT kept") << "ATNO" << "ATNO";
    QTest::newRow("lower-case at in capitals") << "atno" << "ATno";
    QTest::newRow("blanks in front go") << "  SM 0" << "ATSM 0";
    // A node identifier may end in a blank.
    QTest::newRow("blanks at the end stay") << "ATNI ROOF " << "ATNI ROOF ";
    QTest::newRow("nothing typed") << "" << "AT";
    QTest::newRow("a chain") << "ID3333,WR" << "ATID3333,WR";
}
// clang-format on

void tst_ConsoleRules::prefix()
{
    QFETCH(QString, typed);
    QFETCH(QString, line);
    QCOMPARE(AtLine::withPrefix(typed), line);
    QCOMPARE(AtLine::entry(typed), line.mid(2));
}

// clang-format off
void tst_ConsoleRules::commands_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("commands"); // name|value, "?" for a query or an action
    QTest::addColumn<int>("replies");          // reply lines when nothing is refused

    QTest::newRow("query") << "ATNO" << QStringList{"NO|?"} << 1;
    QTest::newRow("set with a blank") << "ATSM 0" << QStringList{"SM|0"} << 1;
    QTest::newRow("set with =") << "ATID=3333" << QStringList{"ID|3333"} << 1;
    QTest::newRow("chain") << "ATID3333,WR,CN" << QStringList{"ID|3333", "WR|?", "CN|?"} << 3;
    QTest::newRow("bare AT: one OK") << "AT" << QStringList{} << 1;
    // The node identifier keeps its blanks but the one after the name.
    QTest::newRow("NI keeps inner and last blanks") << "ATNI Roof mast " << QStringList{"NI|Roof mast "} << 1;
    QTest::newRow("NI of one blank") << "ATNI  " << QStringList{"NI| "} << 1;
}
// clang-format on

void tst_ConsoleRules::commands()
{
    QFETCH(QString, line);
    QFETCH(QStringList, commands);
    QFETCH(int, replies);

    QStringList parsed;
    for (const AtCommand &command : AtLine::commands(line))
        parsed.append(command.name + '|' + (command.isQuery() ? QString("?") : command.value()));
    QCOMPARE(parsed, commands);
    QCOMPARE(AtLine::expectedReplies(line), replies);
}

// clang-format off
void tst_ConsoleRules::warnings_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("warnings");

    const QString rts = "D6 1 turns on RTS flow control: the module holds back everything it would send unless the "
                        "PC raises RTS, and this port runs without flow control, so the module falls silent.";
    const QString sleep = "SM %1 puts the module to sleep: it stops answering and no longer listens to its serial line.";
    const QString shortCt = "CT %1 leaves command mode %2 after the last command: no time to type the next one.";
    const QString api = "AP %1 switches the module to API mode: the range test needs transparent mode (AP 0).";
    const QString factory = "RE puts back the factory settings (9600 baud 8N1, PAN ID 7FFF and every other setting) "
                            "once they are applied; WR stores them.";

    QTest::newRow("D6 1") << "ATD6 1" << QStringList{rts};
    QTest::newRow("D6 0") << "ATD6 0" << QStringList{};
    QTest::newRow("D7 1, the factory's CTS") << "ATD7 1" << QStringList{};
    QTest::newRow("SM 1") << "ATSM 1" << QStringList{sleep.arg("1")};
    QTest::newRow("SM 0x4") << "ATSM0x4" << QStringList{sleep.arg("0x4")};
    QTest::newRow("SM 0") << "ATSM 0" << QStringList{};
    // CT counts in hexadecimal tenths of a second: 13 is 1.9 s, 14 is 2 s.
    QTest::newRow("CT 13") << "ATCT 13" << QStringList{shortCt.arg("13", "1.9 s")};
    QTest::newRow("CT 14") << "ATCT 14" << QStringList{};
    QTest::newRow("AP 1") << "ATAP 1" << QStringList{api.arg("1")};
    QTest::newRow("RE") << "ATRE" << QStringList{factory};
    QTest::newRow("without AT") << "sm 8" << QStringList{sleep.arg("8")};
    QTest::newRow("hidden in a chain") << "ATID3333,SM1,D61,WR" << QStringList{sleep.arg("1"), rts};
    QTest::newRow("a value the module refuses") << "ATSM X" << QStringList{};
    QTest::newRow("harmless") << "ATNI GATE-WEST" << QStringList{};
}
// clang-format on

void tst_ConsoleRules::warnings()
{
    QFETCH(QString, line);
    QFETCH(QStringList, warnings);
    QCOMPARE(ConsoleWarnings::of(line), warnings);
}

// clang-format off
void tst_ConsoleRules::history_data()
{
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QString>("typed");     // in the line edit when the keys start
    QTest::addColumn<QString>("keys");      // U for Up, D for Down
    QTest::addColumn<QStringList>("shown"); // after each key; "-" when the key does nothing

    const QStringList three{"ATNO", "ATSM 0", "ATCT"};
    QTest::newRow("nothing sent") << QStringList{} << "AT" << "UD" << QStringList{"-", "-"};
    QTest::newRow("back to the oldest and no further") << three << "" << "UUUU"
        << QStringList{"ATCT", "ATSM 0", "ATNO", "ATNO"};
    QTest::newRow("down past the newest brings back the typing") << three << "ATD" << "UUDDD"
        << QStringList{"ATCT", "ATSM 0", "ATCT", "ATD", "-"};
    QTest::newRow("down before up does nothing") << three << "AT" << "D" << QStringList{"-"};
    QTest::newRow("a repeat is kept once") << QStringList{"ATNO", "ATNO", "ATCT", "ATNO"} << "" << "UUUU"
        << QStringList{"ATNO", "ATCT", "ATNO", "ATNO"};
    QStringList sixty, newestFifty;
    for (int i = 0; i < 60; ++i)
        sixty.append(QString("ATNI %1").arg(i));
    for (int i = 59; i >= 10; --i)
        newestFifty.append(QString("ATNI %1").arg(i));
    QTest::newRow("the newest fifty kept") << sixty << "" << QString(51, 'U') << newestFifty + QStringList{"ATNI 10"};
}
// clang-format on

void tst_ConsoleRules::history()
{
    QFETCH(QStringList, sent);
    QFETCH(QString, typed);
    QFETCH(QString, keys);
    QFETCH(QStringList, shown);

    CommandHistory history;
    for (const QString &line : sent)
        history.add(line);
    QString edit = typed;
    QStringList seen;
    for (const QChar key : keys) {
        const std::optional<QString> line = key == 'U' ? history.older(edit) : history.newer();
        seen.append(line.value_or("-"));
        edit = line.value_or(edit);
    }
    QCOMPARE(seen, shown);
}

QTEST_GUILESS_MAIN(tst_ConsoleRules)
#include "tst_consolerules.moc"
