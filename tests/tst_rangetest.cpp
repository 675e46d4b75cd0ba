// The range test: the transmitter's lines, the receiver's RSSI queries, the
// chart, the figures under it and the CSV export.
#include "app/statuslabel.h"
#include "dialogprobe.h"
#include "isolatedsettings.h"
#include "messageboxcatcher.h"
#include "modaldriver.h"
#include "modulesimulator.h"
#include "scriptedmodule.h"

#include <QChartView>
#include <QCheckBox>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QValueAxis>

#include <cmath>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

const QString success = QStringLiteral("Exported %1 to %2.");

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
    return dialog.findChild<StatusLabel *>("lblTestStatistics")->fullText(); // whole, as its tooltip shows it
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
    void bothSeats_data();
    void bothSeats();

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
    QTest::addColumn<QStringList>("clicks"); // after Receiver got one sample; "export" exports it
    QTest::addColumn<QString>("answer");     // to the question about samples not exported
    QTest::addColumn<QString>("saveAs");     // typed into the file dialog; empty cancels it
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("fresh"); // the last click started a new test

    // clang-format off
    QTest::newRow("receiver again") << QStringList{"rdbReceiver"} << "" << "" << false << false;
    QTest::newRow("transmitter, Cancel") << QStringList{"rdbTransmitter"} << "Cancel" << "" << true << false;
    QTest::newRow("transmitter, Discard") << QStringList{"rdbTransmitter"} << "Discard" << "" << true << true;
    QTest::newRow("transmitter, Export…") << QStringList{"rdbTransmitter"} << "Export…" << "kept.csv" << true << true;
    QTest::newRow("transmitter, Export… cancelled") << QStringList{"rdbTransmitter"} << "Export…" << "" << true << false;
    QTest::newRow("exported before") << QStringList{"export", "rdbTransmitter"} << "" << "kept.csv" << false << true;
    QTest::newRow("transmitter, then receiver") << QStringList{"rdbTransmitter", "rdbReceiver"} << "Discard" << "" << true << true;
    // clang-format on
}

// A mode click over samples not exported asks first; a click on the mode
// already chosen changes nothing.
void tst_RangeTest::modeClick()
{
    QFETCH(QStringList, clicks);
    QFETCH(QString, answer);
    QFETCH(QString, saveAs);
    QFETCH(bool, asked);
    QFETCH(bool, fresh);

    QTemporaryDir folder;
    MessageBoxCatcher boxes;
    FendrakeXBeeConfiguratorDialog dialog;
    QVERIFY(showTestTab(dialog, "rdbReceiver"));
    const Chart chart(dialog);
    DialogProbe(dialog).addRssiSample(-70);
    const QString before = figures(dialog);
    boxes.press(answer);
    ModalDriver<QFileDialog> user([&](QFileDialog *fileDialog) {
        answerFileDialog(fileDialog, saveAs.isEmpty() ? "" : folder.filePath(saveAs));
    });
    for (const QString &name : clicks) {
        if (name == "export")
            dialog.findChild<QPushButton *>("btnExportResults")->click();
        else
            QTest::mouseClick(dialog.findChild<QRadioButton *>(name), Qt::LeftButton);
    }

    const auto questions = std::count_if(boxes.boxes().begin(), boxes.boxes().end(),
                                         [](const auto &box) { return box.title == "Test mode"; });
    QCOMPARE(questions, asked ? 1 : 0);
    const bool receiver = fresh ? clicks.last() == "rdbReceiver" : true;
    QCOMPARE(dialog.findChild<QRadioButton *>("rdbReceiver")->isChecked(), receiver);
    QCOMPARE(chart.series->count(), fresh ? 0 : 1);
    if (!fresh)
        QCOMPARE(figures(dialog), before);
    else if (receiver)
        QCOMPARE(figures(dialog), "Received: –   Lost: – (– %)   RSSI last/min/avg/max: – / – / – / – dBm");
    else
        QCOMPARE(figures(dialog), "Sent: 0  Heard: 0 (–)  Their RSSI: –  Our RSSI: –  Stopped 00:00");
    QCOMPARE(QFileInfo::exists(folder.filePath("kept.csv")), !saveAs.isEmpty());
    const QList<bool> shown = {dialog.findChild<QPushButton *>("btnStartTest")->isVisible(),
                               dialog.findChild<QPushButton *>("btnExportResults")->isVisible(),
                               dialog.findChild<QCheckBox *>("chkAnswerTransmitter")->isVisible(),
                               chart.view->isVisible(), dialog.findChild<QLabel *>("lblTestStatistics")->isVisible()};
    QCOMPARE(shown, QList<bool>({!receiver, receiver, receiver, receiver, true}));
    // Samples count from 0 again after a fresh start.
    DialogProbe(dialog).addRssiSample(-71);
    QCOMPARE(chart.series->points().last(), QPointF(fresh ? 0 : 1, -71));
}

// The first line leaves 5 s after Start; a tick that finds the module in
// command mode holds its line back until the run has ended.
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
    QTRY_VERIFY_WITH_TIMEOUT(!DialogProbe(dialog).isIdle(), 2000);
    QTRY_VERIFY_WITH_TIMEOUT(DialogProbe(dialog).isIdle(), 8000);
    QCOMPARE(module.written(), QList<QByteArray>({"+++", "THE QUICK BROWN FOX 0\r"})); // at the run's end
    start->click();

    QVERIFY(figures(dialog).startsWith("Sent: 1  Heard: 0 (–)"));
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
    QTest::addColumn<QList<QByteArray>>("written");
    QTest::addColumn<QString>("figures");

    const QByteArray line = "THE QUICK BROWN FOX 17";
    const QList<QByteArray> query = {"+++", "ATDB\r", "ATCN\r"};
    const QString one = "Received: 1 ";
    const QString none = "Received: 1 (1 without RSSI)";
    QTest::newRow("4A") << line << "rdbReceiver" << false << "4A" << QList<QPointF>{{0, -74}} << query + QList<QByteArray>{"HEARD 17 -74\r"} << one;
    QTest::newRow("0") << line << "rdbReceiver" << false << "0" << QList<QPointF>{{0, 0}} << query + QList<QByteArray>{"HEARD 17 0\r"} << one;
    QTest::newRow("ERROR") << line << "rdbReceiver" << false << "ERROR" << QList<QPointF>() << query + QList<QByteArray>{"HEARD 17\r"} << none;
    QTest::newRow("text before") << "xx " + line << "rdbReceiver" << false << "4A" << QList<QPointF>{{0, -74}} << query + QList<QByteArray>{"HEARD 17 -74\r"} << one;
    QTest::newRow("lower case") << line.toLower() << "rdbReceiver" << false << "4A" << QList<QPointF>() << QList<QByteArray>() << "Received: –";
    QTest::newRow("settings tab shown") << line << "rdbReceiver" << true << "4A" << QList<QPointF>() << QList<QByteArray>{"HEARD 17\r"} << none;
    QTest::newRow("transmitter mode") << line << "rdbTransmitter" << false << "4A" << QList<QPointF>() << QList<QByteArray>() << "Sent: 0 ";
    QTest::newRow("reply from receiver") << QByteArray("HEARD 0 -70") << "rdbTransmitter" << false << "4A" << QList<QPointF>() << QList<QByteArray>() << "Sent: 0  Heard: 0 ";
}
// clang-format on

void tst_RangeTest::receiver()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, mode);
    QFETCH(bool, settingsTab);
    QFETCH(QString, db);
    QFETCH(QList<QPointF>, points);
    QFETCH(QList<QByteArray>, written);
    QFETCH(QString, figures);

    FendrakeXBeeConfiguratorDialog dialog;
    ScriptedModule module(dialog);
    QVERIFY(module.isReady());
    module.replies = {{"DB", db}};
    QVERIFY(showTestTab(dialog, qPrintable(mode)));
    if (settingsTab)
        dialog.findChild<QTabWidget *>("tabWidget")->setCurrentIndex(0);

    module.say(line);
    // A line that is not examined starts nothing within the time a query would take.
    const bool done = QTest::qWaitFor([&] { return module.written() == written && DialogProbe(dialog).isIdle(); },
                                      written.isEmpty() ? 500 : 3000);
    QVERIFY(done || written.isEmpty());
    QCOMPARE(module.written(), written);
    QCOMPARE(Chart(dialog).series->points(), points);
    QVERIFY2(::figures(dialog).startsWith(figures), qPrintable(::figures(dialog)));
    if (points.isEmpty())
        return;
    // The hover numbers a sample by its line, as the marks of lost lines are numbered.
    emit Chart(dialog).series->hovered(points.first() + QPointF(0.3, 2.5), true);
    QTRY_COMPARE(QToolTip::text(), QString("Line 17: %1 dBm").arg(points.first().y()));
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
    // Whole sample numbers on the horizontal axis, ten labels at most.
    QCOMPARE(chart.x->labelFormat(), "%d");
    QCOMPARE(chart.x->tickInterval(), std::round(chart.x->tickInterval()));
    QVERIFY(chart.x->tickAnchor() == 0 && (chart.x->max() - chart.x->min()) / chart.x->tickInterval() <= 10);
    QList<QPointF> newest;
    for (int i = qMax(0, int(rssi.size()) - 500); i < rssi.size(); ++i)
        newest.append(QPointF(i, rssi.at(i)));
    QCOMPARE(chart.series->points(), newest);

    // Hovering anywhere on the line names the sample nearest to it (these carry no line number).
    emit chart.series->hovered(QPointF(12.4, -73.25), true);
    QTRY_VERIFY(QToolTip::isVisible());
    const int nearest = qBound(int(newest.first().x()), 12, int(newest.last().x()));
    QCOMPARE(QToolTip::text(), QString("Sample %1: %2 dBm").arg(nearest).arg(rssi.at(nearest)));
    emit chart.series->hovered(QPointF(12.4, -73.25), false);
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
    QTest::newRow("one, no suffix typed") << 1 << "run" << false << success;
    QTest::newRow("cancelled") << 3 << "" << false << "";
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
    QStringList asked; // by which window, with what caption and filter, in which folder
    QString proposed;
    ModalDriver<QFileDialog> user([&](QFileDialog *fileDialog) {
        asked << fileDialog->parentWidget()->objectName() << fileDialog->windowTitle() << fileDialog->nameFilters();
        proposed = fileDialog->selectedFiles().value(0);
        answerFileDialog(fileDialog, toDevice ? fullDevice : target.isEmpty() ? "" : folder.filePath(target));
    });
    MessageBoxCatcher boxes;
    boxes.press("&Yes"); // to replace the file that is there
    dialog.findChild<QPushButton *>("btnExportResults")->click();
    setrlimit(RLIMIT_FSIZE, &unlimited);

    const QStringList askedFor = {"FendrakeXBeeConfiguratorDialog", "Export RSSI Data", "CSV Files (*.csv)"};
    QCOMPARE(asked, samples ? askedFor : QStringList());
    if (samples)
        QVERIFY2(QRegularExpression("/rangetest-\\d{4}-\\d\\d-\\d\\d-\\d{4}\\.csv$").match(proposed).hasMatch(),
                 qPrintable(proposed));
    const QString savedAs = folder.filePath(target.endsWith(".csv") ? target : target + ".csv");
    const QString done =
        success.arg(samples == 1 ? "1 sample" : QString("%1 samples").arg(qMin(samples, 500)), savedAs);
    if (message == success)
        message = done;
    QStringList results; // the file dialog's own question aside
    for (const MessageBoxCatcher::Box &box : boxes.boxes()) {
        if (!box.text.contains("already exists"))
            results << box.text;
    }
    QCOMPARE(results, message.isEmpty() ? QStringList() : QStringList{message});
    if (toDevice)
        QVERIFY2(!QFileInfo(fullDevice).isFile(), "the device is still a device");
    // Only a successful export touches the folder.
    if (message != done) {
        QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"old.csv"});
        QCOMPARE(readAll(folder.filePath("old.csv")), old);
        return;
    }
    // One line per kept sample, oldest first, with the time of day.
    const QStringList lines = QString::fromUtf8(readAll(savedAs)).split('\n');
    QCOMPARE(lines.size(), qMin(samples, 500) + 2); // the header, and nothing after the last line end
    QCOMPARE(lines.first(), "Sample,RSSI(dBm),Time");
    const QList<QPointF> points = Chart(dialog).series->points();
    for (int i = 0; i < points.size(); ++i) {
        const QString expected = QString("^%1,%2,\\d\\d:\\d\\d:\\d\\d$").arg(points[i].x()).arg(points[i].y());
        QVERIFY2(QRegularExpression(expected).match(lines.at(i + 1)).hasMatch(), qPrintable(lines.at(i + 1)));
    }
}

// clang-format off
void tst_RangeTest::bothSeats_data()
{
    QTest::addColumn<QStringList>("link");       // more simulator options
    QTest::addColumn<bool>("settingsTab");       // the receiver shows its Settings tab
    QTest::addColumn<bool>("answer");            // "Answer the transmitter"
    QTest::addColumn<QString>("heard");          // all, some or none of the lines sent
    QTest::addColumn<QString>("theirs");         // the transmitter's figures from "Their RSSI"
    QTest::addColumn<QString>("receiverFigures"); // how the receiver's line starts

    const QString both = "Their RSSI: -74 dBm (min -74, avg -74)  Our RSSI: -71 dBm  Stopped";
    QTest::newRow("both directions") << QStringList() << false << true << "all" << both << "Received: %1   Lost: 0 (0.0 %)";
    QTest::newRow("lossy") << QStringList{"--loss", "0.4", "--seed", "11"} << false << true << "some" << "" << "Received: ";
    QTest::newRow("answering off") << QStringList() << false << false << "none" << "Their RSSI: –  Our RSSI: –  Stopped" << "Received: %1   Lost: 0 (0.0 %)";
    QTest::newRow("receiver on Settings") << QStringList() << true << true << "all" << "Their RSSI: –  Our RSSI: -71 dBm  Stopped" << "Received: %1 (%1 without RSSI)   Lost: 0 (0.0 %)";
}
// clang-format on

// Two windows on the simulator's two modules: A transmits (its Settings tab
// in front), B receives and answers. B hears A at -74 dBm, A hears B at -71.
void tst_RangeTest::bothSeats()
{
    QFETCH(QStringList, link);
    QFETCH(bool, settingsTab);
    QFETCH(bool, answer);
    QFETCH(QString, heard);
    QFETCH(QString, theirs);
    QFETCH(QString, receiverFigures);
    if (!ModuleSimulator::isBuilt())
        QSKIP("the module simulator is not built");
    ModuleSimulator simulator(
        QStringList{"--modules", "2", "--guard-ms", "50", "--rssi-jitter", "0", "--rssi", "B:-74", "--rssi", "A:-71"}
        + link);
    QVERIFY2(simulator.start(), qPrintable(simulator.errorString()));
    FendrakeXBeeConfiguratorDialog transmitter;
    transmitter.addExtraPort(simulator.portA());
    FendrakeXBeeConfiguratorDialog receiver;
    receiver.addExtraPort(simulator.portB());
    QSignalSpy receiverWire(&receiver, &FendrakeXBeeConfiguratorDialog::write_data);
    QVERIFY(showTestTab(transmitter, "rdbTransmitter") && showTestTab(receiver, "rdbReceiver"));
    receiver.findChild<QCheckBox *>("chkAnswerTransmitter")->setChecked(answer);
    if (settingsTab)
        receiver.findChild<QTabWidget *>("tabWidget")->setCurrentIndex(0);
    auto *start = transmitter.findChild<QPushButton *>("btnStartTest");
    start->click();
    // Room for the receiver's query and then our own within one interval.
    DialogProbe(transmitter).setTestInterval(3000);
    transmitter.findChild<QTabWidget *>("tabWidget")->setCurrentIndex(0);

    QTRY_VERIFY_WITH_TIMEOUT(figures(transmitter).startsWith("Sent: 4 "), 20000);
    start->click();
    // Every reply has had its time: the rate counts all lines.
    QTest::qWait(TransmitterStatistics::replyTimeMs + 1500); // and the next redraw
    const QRegularExpressionMatch line =
        QRegularExpression(R"(^Sent: 4  Heard: (\d) \(([\d.]+) %\)  (.*)$)").match(figures(transmitter));
    QVERIFY2(line.hasMatch(), qPrintable(figures(transmitter)));
    const int heardLines = line.captured(1).toInt();
    QCOMPARE(line.captured(2), QString::number(100.0 * heardLines / 4, 'f', 1));
    QCOMPARE(heardLines == 4 ? "all" : heardLines == 0 ? "none" : "some", heard);
    QVERIFY2(line.captured(3).startsWith(theirs), qPrintable(line.captured(3)));
    const QString received = receiverFigures.contains("%1") ? receiverFigures.arg(4) : receiverFigures;
    QVERIFY2(figures(receiver).startsWith(received), qPrintable(figures(receiver)));

    // The receiver's replies go out as data, never while its module is in command mode.
    bool commandMode = false;
    int replies = 0;
    for (const QList<QVariant> &write : receiverWire) {
        const QByteArray bytes = write.first().toByteArray();
        commandMode = bytes == "+++" || (commandMode && bytes != "ATCN\r");
        QVERIFY2(!(commandMode && bytes.startsWith("HEARD")), bytes.constData());
        replies += bytes.startsWith("HEARD") ? 1 : 0;
    }
    QCOMPARE(replies, answer ? figures(receiver).section(' ', 1, 1).toInt() : 0); // one per line received

    if (heard == "some") {
        // Lost lines are marked on the chart's bottom edge, between the samples around them.
        const Chart chart(receiver);
        auto *marks = static_cast<QXYSeries *>(chart.view->chart()->series().last());
        QVERIFY2(marks != chart.series && marks->count() > 0, qPrintable(figures(receiver)));
        for (const QPointF &mark : marks->points())
            QVERIFY(mark.y() == chart.y->min() && mark.x() - std::floor(mark.x()) == 0.5);
        emit marks->hovered(marks->points().first(), true);
        QTRY_VERIFY(QToolTip::isVisible());
        QVERIFY2(QRegularExpression("^Lines? \\d+(–\\d+)? lost$").match(QToolTip::text()).hasMatch(),
                 qPrintable(QToolTip::text()));
    }
    if (heard != "all" || settingsTab)
        return;
    // Silence shows in red within two intervals, and goes with the next line.
    auto *receiverLine = receiver.findChild<QLabel *>("lblTestStatistics");
    QTRY_VERIFY_WITH_TIMEOUT(figures(receiver).contains(QRegularExpression("^No line for 1\\d s   Received: ")), 12000);
    QVERIFY(receiverLine->property("silent").toBool());
    start->click();
    DialogProbe(transmitter).setTestInterval(3000);
    QTRY_VERIFY_WITH_TIMEOUT(figures(receiver).contains(QRegularExpression("Last line \\d s ago$")), 5000);
    QVERIFY(!receiverLine->property("silent").toBool());
}

QTEST_MAIN(tst_RangeTest)
#include "tst_rangetest.moc"
