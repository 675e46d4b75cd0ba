// The main window as it opens: the port selector's colour rules, the images,
// the start state and the input validators; the user's work kept against a
// module (bold for what the module does not hold, Undo of a Read, the status
// line); and closing it closes the port.

#include "app/fendrakexbeeconfiguratordialog.h"
#include "app/statuslabel.h"
#include "catalogue/modulesettings.h"
#include "dialogs/aboutdialog.h"
#include "dialogs/configurechannelmaskdialog.h"
#include "isolatedsettings.h"
#include "ptypair.h"
#include "scriptedmodule.h"
#include "simulateduser.h"
#include "snapshots.h"

#include <QAbstractItemView>
#include <QChartView>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTimer>

namespace {

QWidget *field(QWidget &dialog, const QString &command)
{
    return dialog.findChild<QWidget *>(ModuleSettings::find(command)->widget);
}

QString fieldText(QWidget &dialog, const QString &command)
{
    QWidget *widget = field(dialog, command);
    auto *combo = qobject_cast<QComboBox *>(widget);
    return combo ? QString::number(combo->currentIndex()) : widget->property("text").toString();
}

// The module holds TO C0, ID 1234, MT 0, ...; "type ID 7" clears the field
// and types; "enter ID" presses Enter in it; "preset 1" picks Scoreboard;
// "profile" opens ID 2222, MT 2, TO c0; "port" chooses None.
bool takeSteps(FendrakeXBeeConfiguratorDialog &window, ScriptedModule &module, const QStringList &steps)
{
    window.show();
    if (!QTest::qWaitForWindowExposed(&window) || !module.isReady())
        return false;
    window.findChild<QComboBox *>("cmbProfile")->setCurrentIndex(1); // every field editable
    module.replies = {{"TO", "C0"}, {"CM", "3EFFFC00"}, {"ID", "1234"},    {"MT", "0"}, {"DL", "FFFF"},
                      {"DH", "0"},  {"BD", "3"},        {"NB", "0"},       {"SB", "0"}, {"RO", "3"},
                      {"AP", "0"},  {"SH", "13A200"},   {"SL", "40F1A001"}};
    for (const QString &step : steps) {
        const QStringList words = step.split(' ');
        if ((words[0] == "read" || words[0] == "write")
            && !runToIdle(window, words[0] == "read" ? "btnReadSettings" : "btnWriteSettings"))
            return false;
        if (words[0] == "type" || words[0] == "enter")
            field(window, words[1])->setFocus();
        if (words[0] == "type") {
            qobject_cast<QLineEdit *>(field(window, words[1]))->clear();
            QTest::keyClicks(field(window, words[1]), words[2]);
        } else if (words[0] == "enter") {
            QTest::keyClick(field(window, words[1]), Qt::Key_Return);
            QTest::keyClick(field(window, words[1]), Qt::Key_Enter, Qt::KeypadModifier);
            QTest::keyClick(field(window, words[1]), Qt::Key_Escape);
        } else if (words[0] == "preset") {
            window.findChild<QComboBox *>("cmbConfiguration")->setCurrentIndex(words[1].toInt());
        } else if (words[0] == "profile") {
            window.applyProfile({{"ID", "2222"}, {"MT", "2"}, {"TO", "c0"}}, "/tmp/site-1.tarnowick-profile");
        } else if (words[0] == "undo") {
            QTest::mouseClick(window.findChild<QPushButton *>("btnUndo"), Qt::LeftButton);
        } else if (words[0] == "port") {
            window.findChild<QComboBox *>("cmbSerial")->setCurrentIndex(0);
        }
    }
    return true;
}

} // namespace

class tst_MainWindow : public QObject
{
    Q_OBJECT

private slots:
    void startState();
    void imagesShow();
    void validators_data();
    void validators();
    void closeClosesPort();
    void keepsWork_data();
    void keepsWork();
    void closeAsks_data();
    void closeAsks();
    void readOnlyLooksIt_data();
    void readOnlyLooksIt();
    void listsReadable_data();
    void listsReadable();
    void staysPut_data();
    void staysPut();

private:
    IsolatedSettings settings;
    FendrakeXBeeConfiguratorDialog dialog;
};

void tst_MainWindow::startState()
{
    QVERIFY(dialog.findChild<QWidget *>("tabSettings")->isVisibleTo(&dialog));
    QVERIFY(dialog.findChild<QRadioButton *>("rdbTransmitter")->isChecked());
    for (const char *name : {"progressBar", "btnExportResults"})
        QVERIFY2(dialog.findChild<QWidget *>(name)->isHidden(), name);
    QVERIFY(dialog.findChild<QChartView *>()->isHidden());
    // One rule per colour code of the port selector: open, failed, "None".
    const QString sheet = dialog.findChild<QWidget *>("cmbSerial")->styleSheet();
    for (const char *rule : {"*[code=\"0\"] { background-color: green", "*[code=\"1\"] { background-color: red",
                             "*[code=\"2\"] { color: black"})
        QVERIFY2(sheet.contains(QLatin1String(rule)), rule);
}

// Every button of the forms shows an image; one missing from the compiled-in
// resources would leave it blank.
void tst_MainWindow::imagesShow()
{
    AboutDialog about;
    ConfigureChannelMaskDialog calculator;
    const auto buttons = dialog.findChildren<QPushButton *>() + about.findChildren<QPushButton *>()
        + calculator.findChildren<QPushButton *>();
    for (const QPushButton *button : buttons)
        QVERIFY2(!button->icon().pixmap(16).isNull(), qPrintable(button->objectName()));
}

void tst_MainWindow::validators_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown"); // the keys the field refuses are left out

    // clang-format off
    QTest::newRow("RO three digits") << "txtPacketizationTimeout" << "100" << "10";
    QTest::newRow("MT 5") << "txtBroadcastMultiTransmits" << "5" << "5";
    QTest::newRow("MT 6") << "txtBroadcastMultiTransmits" << "6" << "";
    QTest::newRow("ID five digits") << "txtPANID" << "7FFFF" << "7FFF";
    QTest::newRow("DH nine digits") << "txtDestinationAddressHigh" << "0013A2000" << "0013A200";
    QTest::newRow("DL not hex") << "txtDestinationAddressLow" << "FF FF" << "FFFF";
    // clang-format on
}

void tst_MainWindow::validators()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, shown);

    dialog.findChild<QComboBox *>("cmbProfile")->setCurrentIndex(1); // where the PAN ID can be edited
    auto *edit = dialog.findChild<QLineEdit *>(field);
    edit->clear();
    QTest::keyClicks(edit, typed);
    QCOMPARE(edit->text(), shown);
}

// The window closes the port on its way out, also when the event loop has ended.
void tst_MainWindow::closeClosesPort()
{
    PtyPair pty;
    auto *window = new FendrakeXBeeConfiguratorDialog;
    window->show();
    QVERIFY(openPort(*window, pty.slavePath()));
    QVERIFY(pty.isPeerOpen());

    QTest::mouseClick(window->findChild<QPushButton *>("btnClose"), Qt::LeftButton);
    QVERIFY(!window->isVisible());
    delete window;
    QVERIFY(!pty.isPeerOpen());
}

void tst_MainWindow::keepsWork_data()
{
    QTest::addColumn<QStringList>("steps"); // as takeSteps() takes them
    QTest::addColumn<QString>("bold");      // fields in bold, by command
    QTest::addColumn<QString>("status");    // the whole text of the status line
    QTest::addColumn<bool>("undo");         // the Undo button offered
    QTest::addColumn<QString>("values");    // some fields' values at the end

    const QString loaded = "Loaded profile site-1.tarnowick-profile: 3 settings";
    // clang-format off
    QTest::newRow("Enter before any Read") << QStringList{"type ID 12", "enter ID"} << "" << "" << false << "ID=12";
    QTest::newRow("Enter after a Read") << QStringList{"read", "type ID 7", "enter ID"} << "ID" << "1 unwritten change: ID." << false << "ID=7";
    QTest::newRow("typed as the module holds it") << QStringList{"read", "type TO c0"} << "" << "" << false << "";
    QTest::newRow("preset") << QStringList{"read", "preset 1"} << "TO ID" << "2 unwritten changes: TO, ID." << false << "ID=3333";
    QTest::newRow("profile") << QStringList{"read", "profile"} << "ID MT" << loaded + ", 2 differ from the module." << false << "";
    QTest::newRow("profile before any Read") << QStringList{"profile"} << "" << loaded + "." << false << "";
    QTest::newRow("Read over typed values") << QStringList{"read", "type ID 7", "type MT 2", "read"} << "" << "Read replaced 2 unwritten values: ID, MT." << true << "ID=1234 MT=0";
    QTest::newRow("Undo") << QStringList{"read", "type ID 7", "type MT 2", "read", "undo"} << "ID MT" << "2 unwritten changes: ID, MT." << false << "ID=7 MT=2";
    QTest::newRow("first Read over a profile, Undo") << QStringList{"profile", "read", "undo"} << "ID MT" << "2 unwritten changes: ID, MT." << false << "ID=2222 MT=2 TO=C0";
    QTest::newRow("an edit ends the offer") << QStringList{"read", "type ID 7", "read", "type MT 1"} << "MT" << "1 unwritten change: MT." << false << "ID=1234";
    QTest::newRow("another port") << QStringList{"read", "type ID 7", "read", "port"} << "" << "" << false << "ID=1234";
    QTest::newRow("written") << QStringList{"read", "type ID 7", "write"} << "" << "Wrote 11 settings" << false << "ID=7";
    QTest::newRow("preset over typed values") << QStringList{"read", "type ID 7", "type MT 2", "preset 1"} << "TO ID" << "Scoreboard replaced 2 unwritten values: ID, MT." << true << "ID=3333 MT=0";
    QTest::newRow("Undo of a preset") << QStringList{"read", "type ID 7", "type MT 2", "preset 1", "undo"} << "TO ID MT" << "3 unwritten changes: TO, ID, MT." << false << "ID=7 MT=2 TO=40";
    QTest::newRow("preset before any Read") << QStringList{"type ID 7", "preset 2"} << "" << "WindSpeed replaced 1 unwritten value: ID." << true << "ID=4444";
    QTest::newRow("profile over typed values") << QStringList{"read", "type ID 7", "type DL 1", "profile"} << "ID MT DL" << "The profile replaced 1 unwritten value: ID." << true << "ID=2222 DL=1";
    // clang-format on
}

// Against a module: Enter starts nothing, bold marks exactly what the module
// does not hold, and a Read's replacing of unwritten values can be undone.
void tst_MainWindow::keepsWork()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, bold);
    QFETCH(QString, status);
    QFETCH(bool, undo);
    QFETCH(QString, values);

    MessageBoxCatcher boxes;
    FendrakeXBeeConfiguratorDialog window;
    ScriptedModule module(window);
    QVERIFY(module.isReady());
    QVERIFY(takeSteps(window, module, steps));
    QVERIFY2(window.isVisible(), "Enter and Escape must not close the window");
    QVERIFY2(DialogProbe(window).isIdle(), "Enter must not start a run");
    // A write is read back in the same stay in command mode.
    QCOMPARE(module.written().count("+++"), steps.count("read") + steps.count("write"));
    QStringList shownBold;
    for (const ModuleSetting &setting : ModuleSettings::all()) {
        if (setting.written && field(window, setting.command)->font().bold())
            shownBold.append(setting.command);
    }
    QCOMPARE(shownBold.join(' '), bold);
    // A finished run's text ends with the time of day.
    const QString shownStatus = window.findChild<StatusLabel *>("lblStatus")->fullText();
    QCOMPARE(shownStatus.section(QRegularExpression(" at \\d\\d:\\d\\d:\\d\\d\\."), 0, 0), status);
    QCOMPARE(window.findChild<QWidget *>("btnUndo")->isVisible(), undo);
    for (const QString &value : values.split(' ', Qt::SkipEmptyParts))
        QCOMPARE(value.section('=', 0, 0) + '=' + fieldText(window, value.section('=', 0, 0)), value);
}

void tst_MainWindow::closeAsks_data()
{
    QTest::addColumn<QStringList>("steps"); // as takeSteps() takes them
    QTest::addColumn<bool>("button");       // Ok, else the window's own close button
    QTest::addColumn<QString>("answer");    // to the question, if one comes
    QTest::addColumn<QString>("question");  // empty: none comes
    QTest::addColumn<bool>("closed");

    const QStringList three = {"read", "type ID 7", "type MT 2", "type DL 1"};
    const QString threeChanges = "3 unwritten changes: ID, MT, DL.";
    // clang-format off
    QTest::newRow("nothing changed") << QStringList() << true << "" << "" << true;
    QTest::newRow("typed before any Read") << QStringList{"type ID 7"} << false << "Cancel" << "1 unwritten change: ID." << false;
    QTest::newRow("three after a Read, Cancel") << three << true << "Cancel" << threeChanges << false;
    QTest::newRow("three before any Read, Close anyway") << three.mid(1) << false << "Close anyway" << threeChanges << true;
    QTest::newRow("written") << QStringList{"read", "type ID 7", "write"} << true << "" << "" << true;
    // clang-format on
}

// Closing with values the module does not hold asks first.
void tst_MainWindow::closeAsks()
{
    QFETCH(QStringList, steps);
    QFETCH(bool, button);
    QFETCH(QString, answer);
    QFETCH(QString, question);
    QFETCH(bool, closed);

    MessageBoxCatcher boxes;
    FendrakeXBeeConfiguratorDialog window;
    ScriptedModule module(window);
    QVERIFY(takeSteps(window, module, steps));
    boxes.clear();
    boxes.press(answer);
    if (button)
        QTest::mouseClick(window.findChild<QPushButton *>("btnClose"), Qt::LeftButton);
    else
        window.close(); // as the title bar's button does

    QCOMPARE(shown(boxes),
             question.isEmpty() ? QStringList() : QStringList{"Warning | Unwritten changes | " + question});
    QCOMPARE(!window.isVisible(), closed);
}

void tst_MainWindow::readOnlyLooksIt_data()
{
    QTest::addColumn<int>("level"); // item of the Profile selector
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("hint"); // how to change it, first in its tooltip; empty: it takes typing

    // clang-format off
    QTest::newRow("channel mask, beginner") << 0 << "txtChannelMask" << "Set with the channel mask calculator at the Guru level.";
    QTest::newRow("PAN ID, beginner") << 0 << "txtPANID" << "Editable at the Guru level.";
    QTest::newRow("channel mask, Guru") << 1 << "txtChannelMask" << "Set with the channel mask calculator.";
    QTest::newRow("PAN ID, Guru") << 1 << "txtPANID" << "";
    QTest::newRow("back to beginner") << 2 << "txtPANID" << "Editable at the Guru level.";
    // clang-format on
}

// A field that takes the focus but no typing looks unlike one that takes
// typing, and its tooltip says how it is changed.
void tst_MainWindow::readOnlyLooksIt()
{
    QFETCH(int, level);
    QFETCH(QString, field);
    QFETCH(QString, hint);

    FendrakeXBeeConfiguratorDialog window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *profile = window.findChild<QComboBox *>("cmbProfile");
    for (int item : level == 2 ? QList<int>{1, 0} : QList<int>{level})
        profile->setCurrentIndex(item);
    auto *edit = window.findChild<QLineEdit *>(field);
    auto *typed = window.findChild<QLineEdit *>("txtBroadcastMultiTransmits"); // takes typing at both levels
    typed->setVisible(true);

    QCOMPARE(edit->isReadOnly(), !hint.isEmpty());
    // The background beside the text, as drawn.
    const auto background = [](QLineEdit *line) {
        return line->grab().toImage().pixelColor(line->width() - 6, line->height() / 2);
    };
    QCOMPARE(background(edit) != background(typed), !hint.isEmpty());
    const QString tip = QTextDocumentFragment::fromHtml(edit->toolTip()).toPlainText();
    QCOMPARE(tip.startsWith(hint + '\n'), !hint.isEmpty());
    // The field's own help follows, whole: its last sentence ends.
    QVERIFY2(tip.trimmed().endsWith('.'), qPrintable(tip));
    QCOMPARE(tip.count("Range:"), 1);
}

void tst_MainWindow::listsReadable_data()
{
    QTest::addColumn<QString>("combo");
    QTest::addColumn<int>("code"); // the port selector's colour; -1 leaves it as it is

    QTest::newRow("ports, open") << "cmbSerial" << 0;
    QTest::newRow("ports, failed") << "cmbSerial" << 1;
    QTest::newRow("ports, None") << "cmbSerial" << 2;
    QTest::newRow("configurations") << "cmbConfiguration" << -1;
}

// An open list shows every item whole, dark on light, whatever colour the closed selector has.
void tst_MainWindow::listsReadable()
{
    QFETCH(QString, combo);
    QFETCH(int, code);

    FendrakeXBeeConfiguratorDialog window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *box = window.findChild<QComboBox *>(combo);
    if (code >= 0) {
        box->setProperty("code", code);
        box->style()->unpolish(box);
        box->style()->polish(box);
    }
    box->showPopup();
    QAbstractItemView *list = box->view();
    QTRY_VERIFY(list->isVisible());
    // The items not highlighted are drawn dark on light.
    const QImage drawn = list->viewport()->grab().toImage();
    int dark = 0;
    int light = 0;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            const float lightness = drawn.pixelColor(x, y).lightnessF();
            dark += lightness < 0.3f ? 1 : 0;
            light += lightness > 0.8f ? 1 : 0;
        }
    }
    QVERIFY2(dark > 20 && light > drawn.width() * drawn.height() / 4,
             qPrintable(QString("%1 dark, %2 light").arg(dark).arg(light)));
    for (int row = 0; row < box->count(); ++row) {
        const QModelIndex item = list->model()->index(row, 0);
        QVERIFY2(list->sizeHintForIndex(item).width() <= list->viewport()->width(), qPrintable(box->itemText(row)));
    }
    box->hidePopup();
}

void tst_MainWindow::staysPut_data()
{
    // "status" shows a long status text; "guru", "beginner", "receiver" and
    // "transmitter" choose that view or mode; "read" reads the module; "run"
    // transmits for 6 s with a receiver answering every line. The size is
    // measured from the step after "|" on.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<bool>("grows");      // may grow in between
    QTest::addColumn<bool>("sameHeight"); // at the end as at the start

    QTest::newRow("long status") << QStringList{"|", "status"} << false << true;
    QTest::newRow("Receiver chosen") << QStringList{"|", "receiver"} << true << false;
    QTest::newRow("Receiver and back") << QStringList{"|", "receiver", "transmitter"} << true << true;
    QTest::newRow("Guru and back") << QStringList{"|", "guru", "beginner"} << true << true;
    QTest::newRow("a Read at Guru") << QStringList{"guru", "|", "read"} << false << true;
    QTest::newRow("a long run") << QStringList{"|", "run"} << false << true;
}

// Nothing the window shows may push it past a small screen's edge, nor
// leave it taller than what it shows; while it works it does not move.
void tst_MainWindow::staysPut()
{
    QFETCH(QStringList, steps);
    QFETCH(bool, grows);
    QFETCH(bool, sameHeight);

    MessageBoxCatcher boxes;
    FendrakeXBeeConfiguratorDialog window;
    ScriptedModule module(window);
    QVERIFY(module.isReady());
    module.replies = {{"DB", "64"}};
    // A receiver that answers every line, weakly.
    connect(&window, &FendrakeXBeeConfiguratorDialog::write_data, this, [&module](const QByteArray &line) {
        if (line.startsWith("THE QUICK BROWN FOX "))
            module.say("HEARD " + line.mid(20).trimmed() + " -100");
    });
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSize start = window.size();
    QSize largest = start;
    QTimer watch; // the size while the window works, not only at the end
    connect(&watch, &QTimer::timeout, this, [&] { largest = largest.expandedTo(window.size()); });
    auto *tabs = window.findChild<QTabWidget *>("tabWidget");
    for (const QString &step : steps) {
        if (step == "|") {
            start = largest = window.size();
            watch.start(10);
        } else if (step == "status") {
            window.showStatus("Saved profile " + QString(200, 'x') + ".tarnowick-profile.");
        } else if (step == "guru" || step == "beginner") {
            window.findChild<QComboBox *>("cmbProfile")->setCurrentIndex(step == "guru" ? 1 : 0);
        } else if (step == "receiver" || step == "transmitter") {
            tabs->setCurrentIndex(1);
            QTest::mouseClick(window.findChild<QRadioButton *>("rdb" + step.left(1).toUpper() + step.mid(1)),
                              Qt::LeftButton);
        } else if (step == "read") {
            QVERIFY(runToIdle(window, "btnReadSettings"));
        } else if (step == "run") {
            tabs->setCurrentIndex(1);
            window.findChild<QPushButton *>("btnStartTest")->click();
            DialogProbe(window).setTestInterval(200);
            QTest::qWait(TransmitterStatistics::replyTimeMs + 1000); // and the success rate shows
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCoreApplication::processEvents();
    }

    QCOMPARE(largest.width(), start.width());
    QCOMPARE(window.width(), start.width());
    if (!grows)
        QCOMPARE(largest.height(), start.height());
    if (sameHeight)
        QCOMPARE(window.height(), start.height());
    // Long texts are shortened, and shown whole in their tooltips.
    for (auto *label : window.findChildren<StatusLabel *>()) {
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->contentsRect().width());
        QCOMPARE(label->toolTip(), label->fullText());
    }
}

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
