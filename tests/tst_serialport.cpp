#include "ptypair.h"
#include "workerharness.h"

#include <QTest>

using Chunks = QList<QByteArray>;
using Lines = QList<QByteArray>;
using Reports = QList<bool>;

// Each step is "port:<name>" or "rate:<baud>"; "<pty>" stands for the test's pseudo-terminal.
using Steps = QStringList;

class tst_SerialPort : public QObject
{
    Q_OBJECT

private slots:
    void framesLinesFromPort_data();
    void framesLinesFromPort();
    void reportsOpenAttempts_data();
    void reportsOpenAttempts();
    void changeDropsPartialLine_data();
    void changeDropsPartialLine();
    void lostDeviceClosesPortOnce();

private:
    static bool openOn(WorkerHarness &worker, const PtyPair &pty);
};

bool tst_SerialPort::openOn(WorkerHarness &worker, const PtyPair &pty)
{
    worker.changePort(pty.slavePath());
    return QTest::qWaitFor([&] { return worker.portOpenSpy->count() == 1; }) && worker.reports() == Reports{true};
}

void tst_SerialPort::framesLinesFromPort_data()
{
    QTest::addColumn<Chunks>("chunks");
    QTest::addColumn<Lines>("lines");

    // The framing itself is the line framer's; this is the worker handing its lines on.
    QTest::newRow("split over two writes") << Chunks{"O", "K\r"} << Lines{"OK\r"};
    QTest::newRow("two lines in one write") << Chunks{"OK\r1234\r"} << Lines{"OK\r", "1234\r"};
}

void tst_SerialPort::framesLinesFromPort()
{
    QFETCH(Chunks, chunks);
    QFETCH(Lines, lines);

    PtyPair pty;
    QVERIFY(pty.isValid());
    WorkerHarness worker;
    QVERIFY(openOn(worker, pty));

    // The pause lets the worker read each chunk on its own; the lines must
    // come out the same whether or not it does.
    for (const QByteArray &chunk : chunks) {
        pty.write(chunk);
        QTest::qWait(30);
    }
    QTRY_COMPARE(worker.lines().size(), lines.size());
    QCOMPARE(worker.lines(), lines);
}

void tst_SerialPort::reportsOpenAttempts_data()
{
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<Reports>("reports");

    // clang-format off
    QTest::newRow("open a port") << Steps{"port:<pty>"} << Reports{true};
    QTest::newRow("same port again is ignored") << Steps{"port:<pty>", "port:<pty>"} << Reports{true};
    QTest::newRow("None is reported every time") << Steps{"port:None", "port:None"} << Reports{false, false};
    QTest::newRow("missing device") << Steps{"port:/dev/tarnowick-no-such-port"} << Reports{false};
    QTest::newRow("start rate changes nothing") << Steps{"rate:9600"} << Reports{};
    QTest::newRow("new rate without a name fails") << Steps{"rate:19200"} << Reports{false};
    QTest::newRow("new rate reopens the port") << Steps{"port:<pty>", "rate:115200"} << Reports{true, true};
    QTest::newRow("None closes an open port") << Steps{"port:<pty>", "port:None"} << Reports{true, false};
    // clang-format on
}

void tst_SerialPort::reportsOpenAttempts()
{
    QFETCH(Steps, steps);
    QFETCH(Reports, reports);

    PtyPair pty;
    WorkerHarness worker;
    for (QString step : steps) {
        step.replace(QLatin1String("<pty>"), pty.slavePath());
        if (step.startsWith(QLatin1String("port:")))
            worker.changePort(step.mid(5));
        else
            worker.changeBaudRate(QSerialPort::BaudRate(step.mid(5).toInt()));
    }
    // A closing "None" always reports; once its report is in, any report
    // the steps caused has arrived before it.
    worker.changePort(QStringLiteral("None"));
    reports.append(false);
    QTRY_COMPARE(worker.reports().size(), reports.size());
    QCOMPARE(worker.reports(), reports);
}

void tst_SerialPort::changeDropsPartialLine_data()
{
    QTest::addColumn<bool>("changeRate");
    // clang-format off
    QTest::newRow("port change") << false;
    QTest::newRow("rate change") << true;
    // clang-format on
}

void tst_SerialPort::changeDropsPartialLine()
{
    QFETCH(bool, changeRate);

    PtyPair first;
    PtyPair second;
    WorkerHarness worker;
    QVERIFY(openOn(worker, first));

    // The complete line proves the worker has read the partial one behind it.
    first.write("A\rstale");
    QTRY_COMPARE(worker.lines(), Lines{"A\r"});

    PtyPair &next = changeRate ? first : second;
    if (changeRate)
        worker.changeBaudRate(QSerialPort::Baud19200);
    else
        worker.changePort(second.slavePath());
    QTRY_COMPARE(worker.reports(), (Reports{true, true}));

    next.write("OK\r");
    QTRY_COMPARE(worker.lines().size(), 2);
    QCOMPARE(worker.lines().last(), QByteArray("OK\r"));
}

void tst_SerialPort::lostDeviceClosesPortOnce()
{
    PtyPair pty;
    WorkerHarness worker;
    QVERIFY(openOn(worker, pty));

    pty.closeMaster();
    QTRY_COMPARE(worker.reports(), (Reports{true, false}));

    // Reported once: the sentinel's report follows the loss directly.
    worker.changePort(QStringLiteral("None"));
    QTRY_COMPARE(worker.reports().size(), 3);
    QCOMPARE(worker.reports(), (Reports{true, false, false}));
}

QTEST_GUILESS_MAIN(tst_SerialPort)
#include "tst_serialport.moc"
