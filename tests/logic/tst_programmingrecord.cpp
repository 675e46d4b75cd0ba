// Read-back of a write and the programming record it leaves.
#include "logic/programmingrecord.h"

#include <QTemporaryDir>
#include <QTest>

using Replies = QList<QPair<QString, QString>>;

class tst_ProgrammingRecord : public QObject
{
    Q_OBJECT

private slots:
    void readBack_data();
    void readBack();
    void appends();
    void unwritable();
    void profileNamed_data();
    void profileNamed();
};

// clang-format off
void tst_ProgrammingRecord::readBack_data()
{
    QTest::addColumn<SettingValues>("written");
    QTest::addColumn<Replies>("replies");
    QTest::addColumn<QString>("summary");

    const Replies identity{{"SH", "13A200"}, {"SL", "40F1A001"}, {"VR", "8059"}};
    const SettingValues two{{"CM", "3effdc00"}, {"BD", "7"}};
    QTest::newRow("same meaning") << two << (Replies{{"CM", "3EFFDC00"}, {"BD", "7"}} + identity) << "Read back: all 2 settings match.";
    QTest::newRow("leading zeros") << SettingValues{{"DH", "0013A200"}} << (Replies{{"DH", "13A200"}} + identity) << "Read back: the setting matches.";
    QTest::newRow("two differ") << two << (Replies{{"CM", "3EFFFC00"}, {"BD", "3"}} + identity) << "Read back: CM holds 3EFFFC00, not 3effdc00; BD holds 3, not 7.";
    QTest::newRow("an error reply") << two << (Replies{{"CM", "ERROR"}, {"BD", "7"}} + identity) << "Read back: CM holds ERROR, not 3effdc00.";
    QTest::newRow("silent half-way") << two << Replies{{"CM", "3EFFDC00"}} << "Read back failed: the module did not answer.";
}
// clang-format on

void tst_ProgrammingRecord::readBack()
{
    QFETCH(SettingValues, written);
    QFETCH(Replies, replies);
    QFETCH(QString, summary);

    const ReadBack readBack(written, replies);
    QCOMPARE(readBack.summary(), summary);
    QCOMPARE(ReadBack::queries(written).mid(written.size()), QStringList({"SH", "SL", "VR"}));
    QCOMPARE(readBack.matches(), summary.contains("match"));
    if (readBack.complete())
        QCOMPARE(readBack.module().value("SL"), "40F1A001");
}

// Several writes, some from another program at the same time: every earlier
// record stays whole, in a folder made for it.
void tst_ProgrammingRecord::appends()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("not/yet/programming-log.jsonl");
    ProgrammingRecord record;
    record.time = QDateTime(QDate(2026, 12, 6), QTime(17, 3, 40, 123), Qt::UTC);
    record.program = "tarnowick 1.0.1 (82db844)";
    record.port = "/dev/ttyUSB0";
    record.baud = 9600;
    record.written = {{"ID", "3333"}, {"CM", "3EFFFDFF"}};
    record.refused = {"MT=9"};
    record.mismatches = {{"CM", "3EFFFDFF", "3EFFFC00"}};
    for (int i = 0; i < 3; ++i) {
        record.module = {{"SH", "13A200"}, {"SL", QString::number(0x40F1A000 + i, 16).toUpper()}};
        QCOMPARE(ProgrammingLog::append(path, record), QString());
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size(), 4);
    QVERIFY(lines.last().isEmpty());
    QVERIFY(lines.first().contains(R"("time":"2026-12-06T17:03:40.123Z")"));
    QVERIFY(lines.first().contains(R"("profile":null)"));
    QVERIFY(lines.first().contains(R"("mismatches":{"CM":{"read":"3EFFFC00","written":"3EFFFDFF"}})"));

    QString error;
    const QList<ProgrammingRecord> records = ProgrammingLog::read(path, &error);
    QCOMPARE(records.size(), 3);
    QCOMPARE(records.at(2).module.value("SL"), "40F1A002");
    QCOMPARE(records.at(0).historyLine(),
             "2026-12-06T17:03:40Z  13A20040F1A000  (no profile)  CM holds 3EFFFC00, not 3EFFFDFF; refused MT=9");
}

void tst_ProgrammingRecord::unwritable()
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath("file"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    // A file where the folder should be: even root cannot put a record there.
    QVERIFY(!ProgrammingLog::append(dir.filePath("file/programming-log.jsonl"), ProgrammingRecord{}).isEmpty());
}

void tst_ProgrammingRecord::profileNamed_data()
{
    QTest::addColumn<SettingValues>("form");
    QTest::addColumn<bool>("named");
    QTest::newRow("as loaded") << SettingValues{{"ID", "3333"}, {"CM", "3EFFFC00"}, {"TO", "C0"}} << true;
    QTest::newRow("same meaning") << SettingValues{{"ID", "3333"}, {"CM", "3effFC00"}} << true;
    QTest::newRow("edited") << SettingValues{{"ID", "3334"}, {"CM", "3EFFFC00"}} << false;
    QTest::newRow("emptied") << SettingValues{{"ID", ""}, {"CM", "3EFFFC00"}} << false;
}

// A write names the profile only while the form still holds what it gave.
void tst_ProgrammingRecord::profileNamed()
{
    QFETCH(SettingValues, form);
    QFETCH(bool, named);
    QTemporaryDir dir;
    const QString path = dir.filePath("site-1.tarnowick-profile");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("{}") == 2);
    file.close();
    const auto profile = ProgrammingLog::profileIfUnchanged(path, {{"ID", "3333"}, {"CM", "3EFFFC00"}}, form);
    QCOMPARE(profile.has_value(), named);
    if (named)
        QCOMPARE(profile->sha256, "44136fa355b3678a1146ad16f7e8649e94fb4fc21fe77e8310c060f61caaff8a"); // of "{}"
    QVERIFY(!ProgrammingLog::profileIfUnchanged(path, {}, form));
}

QTEST_GUILESS_MAIN(tst_ProgrammingRecord)
#include "tst_programmingrecord.moc"
