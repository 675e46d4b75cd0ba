// Cutting received bytes into lines: every line ends with its carriage
// return, however the bytes were split into reads, and a device that never
// sends one cannot make the buffer grow without bound.
#include "logic/lineframer.h"

#include <QTest>

using Chunks = QList<QByteArray>;

class tst_LineFramer : public QObject
{
    Q_OBJECT

private slots:
    void lines_data();
    void lines();
};

void tst_LineFramer::lines_data()
{
    QTest::addColumn<int>("limit");
    QTest::addColumn<Chunks>("reads");
    QTest::addColumn<Chunks>("lines");
    QTest::addColumn<QByteArray>("pending");

    const QByteArray tail = "0123456789ABCDEF";
    QTest::newRow("split over two reads") << 4096 << Chunks{"O", "K\r"} << Chunks{"OK\r"} << QByteArray();
    QTest::newRow("three lines in one read, one of them empty")
        << 4096 << Chunks{"OK\r\r1234\r5"} << Chunks{"OK\r", "\r", "1234\r"} << QByteArray("5");
    QTest::newRow("line feed kept") << 4096 << Chunks{"OK\r\n", "X\r"} << Chunks{"OK\r", "\nX\r"} << QByteArray();
    QTest::newRow("long line keeps its newest bytes")
        << 16 << Chunks{QByteArray(100, 'x') + tail + "\rtail"} << Chunks{tail + '\r'} << QByteArray("tail");
    QTest::newRow("bounded across reads")
        << 16 << Chunks{QByteArray(20, 'x'), tail, "\r"} << Chunks{tail + '\r'} << QByteArray();
}

void tst_LineFramer::lines()
{
    QFETCH(int, limit);
    QFETCH(Chunks, reads);
    QFETCH(Chunks, lines);
    QFETCH(QByteArray, pending);

    LineFramer framer(limit);
    Chunks framed;
    for (const QByteArray &read : reads)
        framed += framer.append(read);
    QCOMPARE(framed, lines);
    QCOMPARE(framer.pending(), pending);
}

QTEST_GUILESS_MAIN(tst_LineFramer)
#include "tst_lineframer.moc"
