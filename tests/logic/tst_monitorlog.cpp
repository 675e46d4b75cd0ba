// The monitor's lines: bytes of the wire cut into lines as a technician
// reads them, pauses as lines of their own, and only the newest kept.
#include "logic/monitorlog.h"

#include <QDateTime>
#include <QTest>

namespace {

// 17:03:12.000 today, local time, as the worker stamps its chunks.
const qint64 origin = QDateTime(QDate::currentDate(), QTime(17, 3, 12)).toMSecsSinceEpoch();

// "S@0:+++", "R@1010:OK\r", "N@0:Port opened": a chunk sent, received or a
// note, ms after 17:03:12; "F@1200" flushes then.
void play(MonitorLog &log, const QStringList &script)
{
    for (const QString &step : script) {
        const qint64 ms = origin + step.section('@', 1).section(':', 0, 0).toLongLong();
        QByteArray bytes = step.section(':', 1).toLatin1();
        bytes.replace("\\r", "\r").replace("\\n", "\n").replace("\\t", "\t");
        bytes.replace("<7E>", "\x7E").replace("<00>", QByteArray(1, '\0')).replace("<FF>", "\xFF");
        switch (step.at(0).toLatin1()) {
        case 'S':
            log.add({MonitorChunk::Sent, ms, bytes});
            break;
        case 'R':
            log.add({MonitorChunk::Received, ms, bytes});
            break;
        case 'N':
            log.add({MonitorChunk::Note, ms, bytes});
            break;
        default:
            log.flush(ms);
        }
    }
}

QStringList shown(const MonitorLog &log, bool hex)
{
    QStringList lines;
    for (int i = 0; i < log.size(); ++i)
        lines.append(MonitorLog::format(log.at(i), hex));
    return lines;
}

} // namespace

class tst_MonitorLog : public QObject
{
    Q_OBJECT

private slots:
    void lines_data();
    void lines();
    void keepsTheNewest();
};

// clang-format off
void tst_MonitorLog::lines_data()
{
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<bool>("hex");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("the command-mode dialogue") << QStringList{"S@0:+++", "R@1010:OK\\r", "S@1020:ATNO\\r", "R@1030:0\\r",
                                                              "F@1200"} << false
        << QStringList{"17:03:12.000 → +++", "17:03:12.000   … 1.0 s silence", "17:03:13.010 ← OK\\r",
                       "17:03:13.020 → ATNO\\r", "17:03:13.030 ← 0\\r"};
    QTest::newRow("as hex") << QStringList{"S@0:+++", "R@1100:OK\\r", "F@1300"} << true
        << QStringList{"17:03:12.000 → 2B 2B 2B", "17:03:12.000   … 1.1 s silence", "17:03:13.100 ← 4F 4B 0D"};
    // A line ends after CR, LF or CR LF, even when CR and LF come apart.
    QTest::newRow("CR LF ends one line") << QStringList{"R@0:WIND 3.4\\r\\nWIND 3.5\\r", "R@5:\\nA\\nB\\r", "F@200"}
        << false << QStringList{"17:03:12.000 ← WIND 3.4\\r\\n", "17:03:12.000 ← WIND 3.5\\r\\n",
                                "17:03:12.005 ← A\\n", "17:03:12.005 ← B\\r"};
    QTest::newRow("the other side ends a line") << QStringList{"R@0:HEL", "S@20:ATCN\\r", "R@30:LO"}
        << false << QStringList{"17:03:12.000 ← HEL", "17:03:12.020 → ATCN\\r"};
    QTest::newRow("control bytes and API frames") << QStringList{"R@0:<7E><00>\\tNO<FF>~", "F@100"} << false
        << QStringList{"17:03:12.000 ← <0x7E><0x00>\\tNO<0xFF><0x7E>"};
    // A stream without line ends shows after a pause, or in pieces of 128 bytes.
    QTest::newRow("a pause under 100 ms joins") << QStringList{"R@0:AB", "F@50", "R@60:C", "F@159", "F@160", "R@300:D"}
        << false << QStringList{"17:03:12.000 ← ABC"};
    QTest::newRow("128 bytes at most") << QStringList{"R@0:" + QString(300, 'x'), "F@100"} << false
        << QStringList{"17:03:12.000 ← " + QString(128, 'x'), "17:03:12.000 ← " + QString(128, 'x'),
                       "17:03:12.000 ← " + QString(44, 'x')};
    QTest::newRow("long silences") << QStringList{"S@0:x", "S@999:y", "S@125999:z", "R@7326000:w", "F@7326100"}
        << false << QStringList{"17:03:12.000 → xy", "17:03:12.999   … 2 min 5 s silence", "17:05:17.999 → z",
                                "17:05:17.999   … 2 h 0 min silence", "19:05:18.000 ← w"};
    QTest::newRow("a note") << QStringList{"R@0:OK", "N@10:Port opened at 19200 baud", "R@20:OK\\r", "F@500"} << false
        << QStringList{"17:03:12.000 ← OK", "17:03:12.010 — Port opened at 19200 baud", "17:03:12.020 ← OK\\r"};
}
// clang-format on

void tst_MonitorLog::lines()
{
    QFETCH(QStringList, script);
    QFETCH(bool, hex);
    QFETCH(QStringList, lines);

    MonitorLog log;
    play(log, script);
    QCOMPARE(shown(log, hex), lines);
    QCOMPARE(log.text(hex), lines.isEmpty() ? QString() : lines.join('\n') + '\n');
}

// A module that streams for days costs no more than one that streamed for a
// minute: older lines drop, and the saved log says how many.
void tst_MonitorLog::keepsTheNewest()
{
    MonitorLog log;
    for (int i = 0; i < MonitorLog::keptLines + 1234; ++i)
        log.add({MonitorChunk::Received, origin + i, QByteArray::number(i) + '\n'});
    QCOMPARE(log.size(), MonitorLog::keptLines);
    QCOMPARE(log.dropped(), 1234);
    QCOMPARE(log.completed(), MonitorLog::keptLines + 1234);
    QCOMPARE(log.at(0).bytes, "1234\n");
    QVERIFY(
        log.text(false).startsWith("1234 older lines dropped; the newest 10000 are kept.\n17:03:13.234 ← 1234\\n\n"));

    log.clear();
    QCOMPARE(log.size(), 0);
    QCOMPARE(log.dropped(), 0);
    QCOMPARE(log.completed(), MonitorLog::keptLines + 1234); // the view counts on it never going back
    QCOMPARE(log.text(false), QString());
}

QTEST_GUILESS_MAIN(tst_MonitorLog)
#include "tst_monitorlog.moc"
