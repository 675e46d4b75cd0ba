#include "serial/lineframer.h"

#include <QTest>

using Chunks = QList<QByteArray>;
using Lines = QList<QByteArray>;

class tst_LineFramer : public QObject
{
    Q_OBJECT

private slots:
    void framing_data();
    void framing();
    void boundKeepsNewestBytes();
    void longLineKeepsNewestBytes();
    void clearDropsPartialLine();
};

void tst_LineFramer::framing_data()
{
    QTest::addColumn<Chunks>("chunks");
    QTest::addColumn<Lines>("lines");
    QTest::addColumn<QByteArray>("pending");

    QTest::newRow("split over two reads") << Chunks{"O", "K\r"} << Lines{"OK\r"} << QByteArray();
    QTest::newRow("two lines in one read") << Chunks{"OK\r1234\r"} << Lines{"OK\r", "1234\r"} << QByteArray();
    QTest::newRow("lone carriage return") << Chunks{"\r"} << Lines{"\r"} << QByteArray();
    QTest::newRow("line feed starts the next line") << Chunks{"OK\r\n"} << Lines{"OK\r"} << QByteArray("\n");
    QTest::newRow("line feed kept inside a line")
        << Chunks{"OK\r\n", "7FFF\r"} << Lines{"OK\r", "\n7FFF\r"} << QByteArray();
    QTest::newRow("no carriage return yet")
        << Chunks{"THE QUICK", " BROWN"} << Lines{} << QByteArray("THE QUICK BROWN");
    QTest::newRow("tail waits for its end") << Chunks{"A\rB", "C\rD"} << Lines{"A\r", "BC\r"} << QByteArray("D");
    QTest::newRow("nul bytes are data") << Chunks{QByteArray("\0\r", 2)} << Lines{QByteArray("\0\r", 2)}
                                        << QByteArray();
}

void tst_LineFramer::framing()
{
    QFETCH(Chunks, chunks);
    QFETCH(Lines, lines);
    QFETCH(QByteArray, pending);

    LineFramer framer;
    Lines received;
    for (const QByteArray &chunk : chunks)
        received += framer.append(chunk);
    QCOMPARE(received, lines);
    QCOMPARE(framer.pending(), pending);
}

void tst_LineFramer::boundKeepsNewestBytes()
{
    LineFramer framer;
    QVERIFY(framer.append(QByteArray(4000, 'a')).isEmpty());
    QVERIFY(framer.append(QByteArray(200, 'b')).isEmpty());
    QCOMPARE(framer.pending().size(), LineFramer::DefaultLimit);
    QVERIFY(framer.pending().endsWith(QByteArray(200, 'b')));

    // The first line after the overflow carries only what was kept.
    const Lines lines = framer.append("\r");
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines.first().size(), LineFramer::DefaultLimit + 1);
}

void tst_LineFramer::longLineKeepsNewestBytes()
{
    // The same bound holds whether the long line came in one read or many.
    LineFramer framer(16);
    const QByteArray longLine = QByteArray(100, 'x') + "0123456789ABCDEF\r";
    QCOMPARE(framer.append(longLine + "tail"), Lines{"0123456789ABCDEF\r"});
    QCOMPARE(framer.pending(), QByteArray("tail"));
    QCOMPARE(framer.append("short\r"), Lines{"tailshort\r"});
}

void tst_LineFramer::clearDropsPartialLine()
{
    LineFramer framer;
    framer.append("stale");
    framer.clear();
    QCOMPARE(framer.append("OK\r"), Lines{"OK\r"});
}

QTEST_APPLESS_MAIN(tst_LineFramer)
#include "tst_lineframer.moc"
