#include "app/rangetestcsv.h"
#include "app/rangetestline.h"

#include <QBuffer>
#include <QTest>

using OptionalCounter = std::optional<quint32>;
using OptionalRssi = std::optional<int>;
Q_DECLARE_METATYPE(OptionalCounter)
Q_DECLARE_METATYPE(OptionalRssi)

class tst_RangeTestLine : public QObject
{
    Q_OBJECT

private slots:
    void lineBytes_data();
    void lineBytes();
    void recognition_data();
    void recognition();
    void dbReply_data();
    void dbReply();
    void csvBytes();
    void csvReportsRefusedWrite();
};

void tst_RangeTestLine::lineBytes_data()
{
    QTest::addColumn<quint32>("counter");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("first") << 0u << QByteArray("THE QUICK BROWN FOX 0\r");
    QTest::newRow("second") << 1u << QByteArray("THE QUICK BROWN FOX 1\r");
    QTest::newRow("largest") << 4294967295u << QByteArray("THE QUICK BROWN FOX 4294967295\r");
}

void tst_RangeTestLine::lineBytes()
{
    QFETCH(quint32, counter);
    QFETCH(QByteArray, bytes);

    QCOMPARE(testLineBytes(counter), bytes);
    // What the receiver's worker hands over once the line is trimmed reads back.
    const QString received = QString::fromUtf8(bytes).trimmed();
    QVERIFY(isTestLine(received));
    QCOMPARE(testLineCounter(received), OptionalCounter(counter));
}

void tst_RangeTestLine::recognition_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("testLine");
    QTest::addColumn<OptionalCounter>("counter");

    const OptionalCounter none;
    QTest::newRow("plain") << "THE QUICK BROWN FOX 17" << true << OptionalCounter(17);
    QTest::newRow("lower case") << "the quick brown fox 17" << false << none;
    QTest::newRow("mixed case") << "The Quick Brown Fox 17" << false << none;
    QTest::newRow("text before") << "noise THE QUICK BROWN FOX 5" << true << OptionalCounter(5);
    QTest::newRow("text after") << "THE QUICK BROWN FOX 5 tail" << true << OptionalCounter(5);
    QTest::newRow("no counter") << "THE QUICK BROWN FOX" << true << none;
    QTest::newRow("glued digits") << "THE QUICK BROWN FOX17" << true << none;
    QTest::newRow("digits then text") << "THE QUICK BROWN FOX 17x" << true << none;
    QTest::newRow("counter too large") << "THE QUICK BROWN FOX 4294967296" << true << none;
    QTest::newRow("negative") << "THE QUICK BROWN FOX -3" << true << none;
    QTest::newRow("payload cut short") << "THE QUICK BROWN FO 3" << false << none;
    QTest::newRow("empty") << "" << false << none;
    QTest::newRow("command reply") << "OK" << false << none;
}

void tst_RangeTestLine::recognition()
{
    QFETCH(QString, line);
    QFETCH(bool, testLine);
    QFETCH(OptionalCounter, counter);

    QCOMPARE(isTestLine(line), testLine);
    QCOMPARE(testLineCounter(line), counter);
}

void tst_RangeTestLine::dbReply_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<OptionalRssi>("rssi");

    QTest::newRow("4A") << "4A" << OptionalRssi(-74);
    QTest::newRow("lower case") << "4a" << OptionalRssi(-74);
    QTest::newRow("zero") << "0" << OptionalRssi(0);
    QTest::newRow("weakest") << "FF" << OptionalRssi(-255);
    QTest::newRow("ERROR") << "ERROR" << OptionalRssi();
    QTest::newRow("empty") << "" << OptionalRssi();
    QTest::newRow("OK") << "OK" << OptionalRssi();
}

void tst_RangeTestLine::dbReply()
{
    QFETCH(QString, reply);
    QFETCH(OptionalRssi, rssi);

    QCOMPARE(rssiFromDbReply(reply), rssi);
}

void tst_RangeTestLine::csvBytes()
{
    const QDate day(2024, 3, 9);
    const QList<RssiSample> samples = {
        {0, -74, QDateTime(day, QTime(14, 3, 12))},
        {1, -73, QDateTime(day, QTime(14, 3, 17))},
        {2, -80, QDateTime(day, QTime(14, 3, 22))},
        {3, 0, QDateTime(day.addDays(1), QTime(0, 0, 2))},
    };
    QBuffer buffer;
    QVERIFY(buffer.open(QIODevice::WriteOnly));

    QVERIFY(writeRssiCsv(&buffer, samples));
    QCOMPARE(buffer.data(),
             QByteArray("Sample,RSSI(dBm),Time\n"
                        "0,-74,14:03:12\n"
                        "1,-73,14:03:17\n"
                        "2,-80,14:03:22\n"
                        "3,0,00:00:02\n"));
}

void tst_RangeTestLine::csvReportsRefusedWrite()
{
    QBuffer buffer;
    QVERIFY(buffer.open(QIODevice::ReadOnly));

    QTest::ignoreMessage(QtWarningMsg, "QIODevice::write (QBuffer): ReadOnly device");
    QVERIFY(!writeRssiCsv(&buffer, {{0, -74, QDateTime::currentDateTime()}}));
}

QTEST_GUILESS_MAIN(tst_RangeTestLine)
#include "tst_rangetestline.moc"
