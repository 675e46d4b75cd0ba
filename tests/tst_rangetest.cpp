// The range test: the transmitter's lines, the receiver's RSSI queries, the
// chart, the figures under it and the CSV export.
#include "dialogprobe.h"
#include "isolatedsettings.h"
#include "messageboxcatcher.h"
#include "modaldriver.h"
#include "modulesimulator.h"
#include "scriptedmodule.h"

#include <QChartView>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QValueAxis>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

const QString success = QStringLiteral("RSSI data exported successfully");

// The receiver's chart as the user sees it.
struct Chart
{
    explicit Chart(const QWidget &dialog)
        : view(dialog.findChild<QChartView *>())
        , series(static_cast<QLineSeries *>(view->chart()->series().constFirst()))
        , x(static_cast<QValueAxis *>(view->chart()->axes(Qt::Horizontal).constFirst()))
        , y(static_cast<QValueAxis *>(view->chart()->axes(Qt::Vertical).constFirst()))
    {
    }

    QChartView *view;
    QLineSeries *series;
    QValueAxis *x;
    QValueAxis *y;
};

bool showTestTab(FendrakeXBeeConfiguratorDialog &dialog, const char *mode)
{
    dialog.show();
    dialog.findChild<QTabWidget *>("tabWidget")->setCurrentWidget(dialog.findChild<QWidget *>("tabTest"));
    dialog.findChild<QRadioButton *>(mode)->click();
    return QTest::qWaitForWindowExposed(&dialog);
}

QString figures(const QWidget &dialog)
{
    return dialog.findChild<QLabel *>("lblTestStatistics")->text();
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class tst_RangeTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void modeClick_data();
    void modeClick();
    void transmitter();
    void receiver_data();
    void receiver();
    void chart_data();
    void chart();
    void exportResults_data();
    void exportResults();
    void overTheAir();

private:
    IsolatedSettings settings;
    QTemporaryDir devices;
    QString fullDevice; // a device that takes no byte, like /dev/full
};

void tst_RangeTest::initTestCase()
{
    // As root an export could replace /dev/full itself: give it a node of its own.
    fullDevice = "/dev/full";
    const QString node = devices.filePath("full");
    if (geteuid() == 0 && ::mknod(QFile::encodeName(node).constData(), S_IFCHR | 0666, makedev(1, 7)) == 0)
        fullDevice = node;
}

void tst_RangeTest::modeClick_data()
{
    QTest::addColumn<QStringList>("clicks");

    QTest::newRow("transmitter again, sending") << QStringList{"btnStartTest", "rdbTransmitter"};
    QTest::newRow("receiver while sending") << QStringList{"btnStartTest", "rdbReceiver"};
    QTest::newRow("back to transmitter") << QStringList{"rdbReceiver", "rdbTransmitter"};
}

// Clicking a mode, also the one already chosen, starts a fresh test.
void tst_RangeTest::modeClick()
{
    QFETCH(QStringList, clicks);

    FendrakeXBeeConfiguratorDialog dialog;
    QVERIFY(showTestTab(dialog, "rdbTransmitter"));
    const Chart chart(dialog);
    DialogProbe(dialog).addRssiSample(-70);
    QVERIFY(figures(dialog).endsWith("-70 / -70 / -70.0 / -70 dBm")); // or a reset could not show

    for (const QString &name : clicks)
        dialog.findChild<QAbstractButton *>(name)->click();

    const bool receiver = clicks.last() == QLatin1String("rdbReceiver");
    const bool transmitting = clicks.first() == QLatin1String("btnStartTest") && !receiver;
    QCOMPARE(dialog.findChild<QPushButton *>("btnStartTest")->text(), transmitting ? "Stop" : "Start");
    QCOMPARE(chart.series->count(), 0);
    QCOMPARE(figures(dialog), "Received: -   Lost: - (- %)   RSSI last/min/avg/max: - / - / - / - dBm");
    const QList<bool> shown = {dialog.findChild<QPushButton *>("btnStartTest")->isVisible(),
                               dialog.findChild<QPushButton *>("btnExportResults")->isVisible(),
                               chart.view->isVisible(), dialog.findChild<QLabel *>("lblTestStatistics")->isVisible()};
    QCOMPARE(shown, QList<bool>({!receiver, receiver, receiver, receiver}));
    // Samples count from 0 again.
    DialogProbe(dialog).addRssiSample(-71);
    QCOMPARE(chart.series->points(), QList<QPointF>{QPointF(0, -71)});
}

// The first line leaves 5 s after Start; a tick that finds the module in
// command mode is skipped and keeps its number.
void tst_RangeTest::transmitter()
{
    MessageBoxCatcher boxes;
    FendrakeXBeeConfiguratorDialog dialog;
    ScriptedModule module(dialog);
    QVERIFY(module.isReady());
    module.replies = {{"+++", "-"}}; // a Read that waits 5 s for its answer
    QVERIFY(showTestTab(dialog, "rdbTransmitter"));
    auto *start = dialog.findChild<QPushButton *>("btnStartTest");

    start->click();
    QTest::qWait(500);
    dialog.findChild<QPushButton *>("btnReadSettings")->click();
    QTRY_COMPARE_WITH_TIMEOUT(module.written().size(), 2, 12000);
    start->click();

    QCOMPARE(module.written(), QList<QByteArray>({"+++", "THE QUICK BROWN FOX 0\r"}));
    QCOMPARE(start->text(), "Start");
    QCOMPARE(boxes.count(), 1); // the Read's warning
}

// clang-format off
void tst_RangeTest::receiver_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("settingsTab"); // shown instead of the Test tab
    QTest::addColumn<QString>("db");       // the module's answer to the RSSI query
    QTest::addColumn<QList<QPointF>>("points");
    QTest::addColumn<bool>("counted");

    const QByteArray line = "THE QUICK BROWN FOX 17";
    QTest::newRow("4A") << line << "rdbReceiver" << false << "4A" << QList<QPointF>{{0, -74}} << true;
    QTest::newRow("0") << line << "rdbReceiver" << false << "0" << QList<QPointF>{{0, 0}} << true;
    QTest::newRow("ERROR") << line << "rdbReceiver" << false << "ERROR" << QList<QPointF>() << true;
    QTest::newRow("empty") << line << "rdbReceiver" << false << "" << QList<QPointF>() << true;
    QTest::newRow("text before") << "xx " + line << "rdbReceiver" << false << "4A" << QList<QPointF>{{0, -74}} << true;
    QTest::newRow("lower case") << line.toLower() << "rdbReceiver" << false << "4A" << QList<QPointF>() << false;
    QTest::newRow("settings tab shown") << line << "rdbReceiver" << true << "4A" << QList<QPointF>() << false;
    QTest::newRow("transmitter mode") << line << "rdbTransmitter" << false << "4A" << QList<QPointF>() << false;
}
// clang-format on

void tst_RangeTest::receiver()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, mode);
    QFETCH(bool, settingsTab);
    QFETCH(QString, db);
    QFETCH(QList<QPointF>, points);
    QFETCH(bool, counted);

    FendrakeXBeeConfiguratorDialog dialog;
    ScriptedModule module(dialog);
    QVERIFY(module.isReady());
    module.replies = {{"DB", db}};
    QVERIFY(showTestTab(dialog, qPrintable(mode)));
    if (settingsTab)
        dialog.findChild<QTabWidget *>("tabWidget")->setCurrentIndex(0);

    module.say(line);
    const QList<QByteArray> query = {"+++", "ATDB\r", "ATCN\r"};
    // A line that is not examined starts nothing within the time a query would take.
    const bool queried = QTest::qWaitFor([&] { return module.written() == query && DialogProbe(dialog).isIdle(); },
                                         counted ? 3000 : 500);
    QCOMPARE(queried, counted);
    QCOMPARE(module.written(), counted ? query : QList<QByteArray>());
    QCOMPARE(Chart(dialog).series->points(), points);
    QCOMPARE(figures(dialog).startsWith("Received: 1 "), counted);
}

void tst_RangeTest::chart_data()
{
    QTest::addColumn<QList<int>>("rssi");
    QTest::addColumn<QList<double>>("ranges"); // x from, x to, y from, y to

    QList<int> many;
    for (int i = 0; i < 520; ++i)
        many << -40 - i % 60;
    QTest::newRow("1") << QList<int>(1, -70) << QList<double>{0, 1, -100, 0};
    QTest::newRow("50") << QList<int>(50, -70) << QList<double>{0, 50, -100, 0};
    QTest::newRow("51") << QList<int>(51, -70) << QList<double>{1, 51, -100, 0};
    QTest::newRow("-105 then -60") << QList<int>{-105, -60} << QList<double>{0, 2, -110, 0};
    QTest::newRow("520") << many << QList<double>{470, 520, -100, 0};
}

// The chart shows the newest 50 samples, keeps 500, widens downwards only,
// and tells the value under the cursor.
void tst_RangeTest::chart()
{
    QFETCH(QList<int>, rssi);
    QFETCH(QList<double>, ranges);

    FendrakeXBeeConfiguratorDialog dialog;
    const Chart chart(dialog);
    for (int value : rssi)
        DialogProbe(dialog).addRssiSample(value);

    QCOMPARE((QList<double>{chart.x->min(), chart.x->max(), chart.y->min(), chart.y->max()}), ranges);
    QList<QPointF> newest;
    for (int i = qMax(0, int(rssi.size()) - 500); i < rssi.size(); ++i)
        newest.append(QPointF(i, rssi.at(i)));
    QCOMPARE(chart.series->points(), newest);

    // Hovering shows where the cursor is, through the series' own signal, as the chart reports it.
    emit chart.series->hovered(QPointF(12.5, -73.25), true);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), "RSSI: -73.25 dBm\nSample: 12.5");
    emit chart.series->hovered(QPointF(12.5, -73.25), false);
    QTRY_VERIFY(!QToolTip::isVisible());
}

void tst_RangeTest::exportResults_data()
{
    QTest::addColumn<int>("samples");
    QTest::addColumn<QString>("target"); // the name the user types; empty: cancels the dialog
    QTest::addColumn<bool>("diskFull");
    QTest::addColumn<QString>("message");

    QTest::newRow("nothing to export") << 0 << "new.csv" << false << "No RSSI data to export";
    QTest::newRow("520 over a longer file") << 520 << "old.csv" << false << success;
    QTest::newRow("cancelled") << 3 << "" << false << "";
    QTest::newRow("folder missing") << 3 << "missing/new.csv" << false << "Failed to open file for writing";
    QTest::newRow("write fails") << 520 << "old.csv" << true << "Failed to write file";
    QTest::newRow("device takes nothing") << 3 << "<full>" << false << "Failed to write file";
}

void tst_RangeTest::exportResults()
{
    QFETCH(int, samples);
    QFETCH(QString, target);
    QFETCH(bool, diskFull);
    QFETCH(QString, message);
    const bool toDevice = target == "<full>";

    QTemporaryDir folder;
    const QByteArray old(4096, 'x');
    QFile oldFile(folder.filePath("old.csv"));
    QVERIFY(oldFile.open(QIODevice::WriteOnly) && oldFile.write(old) == old.size());
    oldFile.close();
    FendrakeXBeeConfiguratorDialog dialog;
    dialog.findChild<QRadioButton *>("rdbReceiver")->click();
    for (int i = 0; i < samples; ++i)
        DialogProbe(dialog).addRssiSample(-60 - i % 40);

    // A write past the limit then fails, as on a full disk, instead of ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit unlimited = limit;
    limit.rlim_cur = diskFull ? 1000 : limit.rlim_cur; // the export needs about 10 kB
    QVERIFY(setrlimit(RLIMIT_FSIZE, &limit) == 0);
    QStringList asked; // by which window, with what caption and filter
    ModalDriver<QFileDialog> user([&](QFileDialog *fileDialog) {
        asked << fileDialog->parentWidget()->objectName() << fileDialog->windowTitle() << fileDialog->nameFilters();
        answerFileDialog(fileDialog, toDevice ? fullDevice : target.isEmpty() ? "" : folder.filePath(target));
    });
    MessageBoxCatcher boxes;
    boxes.press("&Yes"); // to replace the file that is there
    dialog.findChild<QPushButton *>("btnExportResults")->click();
    setrlimit(RLIMIT_FSIZE, &unlimited);

    const QStringList askedFor = {"FendrakeXBeeConfiguratorDialog", "Export RSSI Data", "CSV Files (*.csv)"};
    QCOMPARE(asked, samples ? askedFor : QStringList());
    QStringList results; // the file dialog's own question aside
    for (const MessageBoxCatcher::Box &box : boxes.boxes()) {
        if (!box.text.contains("already exists"))
            results << box.text;
    }
    QCOMPARE(results, message.isEmpty() ? QStringList() : QStringList{message});
    if (toDevice)
        QVERIFY2(!QFileInfo(fullDevice).isFile(), "the device is still a device");
    // Only a successful export touches the folder.
    if (message != success) {
        QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"old.csv"});
        QCOMPARE(readAll(folder.filePath("old.csv")), old);
        return;
    }
    // One line per kept sample, oldest first, with the time of day.
    const QStringList lines = QString::fromUtf8(readAll(folder.filePath(target))).split('\n');
    QCOMPARE(lines.size(), qMin(samples, 500) + 2); // the header, and nothing after the last line end
    QCOMPARE(lines.first(), "Sample,RSSI(dBm),Time");
    const QList<QPointF> points = Chart(dialog).series->points();
    for (int i = 0; i < points.size(); ++i) {
        const QString expected = QString("^%1,%2,\\d\\d:\\d\\d:\\d\\d$").arg(points[i].x()).arg(points[i].y());
        QVERIFY2(QRegularExpression(expected).match(lines.at(i + 1)).hasMatch(), qPrintable(lines.at(i + 1)));
    }
}

// A receiver on module A of the simulator, whose module B sends a test line
// every 1.5 s over a lossy radio link, as a transmitting PC would: the time
// leaves room for the RSSI query of the line before.
void tst_RangeTest::overTheAir()
{
    if (!ModuleSimulator::isBuilt())
        QSKIP("the module simulator is not built");
    ModuleSimulator simulator({"--guard-ms", "50", "--rssi", "-82", "--rssi-jitter", "0", "--loss", "0.3", "--seed",
                               "11", "--auto-transmit", "B", "--auto-interval-ms", "1500"});
    QVERIFY2(simulator.start(), qPrintable(simulator.errorString()));
    FendrakeXBeeConfiguratorDialog receiver;
    receiver.addExtraPort(simulator.portA());
    QVERIFY(showTestTab(receiver, "rdbReceiver"));
    const Chart chart(receiver);

    QTRY_VERIFY_WITH_TIMEOUT(figures(receiver).startsWith("Received: 5 "), 30000);
    QTRY_COMPARE(chart.series->count(), 5);
    for (const QPointF &point : chart.series->points())
        QCOMPARE(point.y(), -82.0);
    QVERIFY2(figures(receiver).endsWith("RSSI last/min/avg/max: -82 / -82 / -82.0 / -82 dBm"),
             qPrintable(figures(receiver)));
    // This seed loses some of the lines.
    QVERIFY2(!figures(receiver).contains("Lost: 0 "), qPrintable(figures(receiver)));
}

QTEST_MAIN(tst_RangeTest)
#include "tst_rangetest.moc"
