#include "app/configentries.h"
#include "app/configsequence.h"
#include "messageboxcatcher.h"
#include "offlinedialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

// Every field filled; rows change some of them. Line edits take text, combos an index.
const QVariantMap fullForm{
    {"txtTransmitOptions", "C0"},
    {"txtChannelMask", "3EFFFDFF"},
    {"txtPANID", "7FFF"},
    {"txtBroadcastMultiTransmits", "3"},
    {"txtDestinationAddressLow", "FFFF"},
    {"txtDestinationAddressHigh", "0"},
    {"txtPacketizationTimeout", "3"},
    {"cmbBaudRate", 3},
    {"cmbParity", 0},
    {"cmbStopBits", 0},
    {"cmbAPIMode", 0},
    {"cmbMACMode", 2},
    {"lblSerialHighValue", "13A200"},
    {"lblSerialLowValue", "41B2C3D4"},
};

const QStringList fullEntries{"TO=C0", "CM=3EFFFDFF", "ID=7FFF", "MT=3", "DL=FFFF", "DH=0",
                              "BD=3",  "NB=0",        "SB=0",    "RO=3", "AP=0",    "WR"};

const QStringList scoreboardEntries{"TO=40", "CM=3EFFFC00", "ID=3333", "MT=0", "DL=FFFF", "DH=0",
                                    "BD=3",  "NB=0",        "SB=0",    "RO=3", "AP=0",    "WR"};

void fill(FendrakeXBeeConfiguratorDialog &dialog, const QVariantMap &fields)
{
    for (auto it = fields.begin(); it != fields.end(); ++it) {
        QWidget *widget = dialog.findChild<QWidget *>(it.key());
        if (auto *edit = qobject_cast<QLineEdit *>(widget))
            edit->setText(it.value().toString());
        else if (auto *label = qobject_cast<QLabel *>(widget))
            label->setText(it.value().toString());
        else
            static_cast<QComboBox *>(widget)->setCurrentIndex(it.value().toInt());
    }
}

QPushButton *button(FendrakeXBeeConfiguratorDialog &dialog, const char *name)
{
    return dialog.findChild<QPushButton *>(QLatin1String(name));
}

} // namespace

class tst_WriteSettings : public QObject
{
    Q_OBJECT

private slots:
    void entries_data();
    void entries();
    void onlyWritableNames();
    void noPortWarning_data();
    void noPortWarning();
    void readThenWriteKeepsTheModule();
};

// clang-format off
void tst_WriteSettings::entries_data()
{
    QTest::addColumn<QVariantMap>("changes");  // applied over the full form
    QTest::addColumn<QList<int>>("selections"); // items of cmbConfiguration the user picks afterwards
    QTest::addColumn<QStringList>("expected");

    auto without = [](QStringList entries, const QString &name) {
        entries.removeIf([&name](const QString &entry) { return entry.startsWith(name + '='); });
        return entries;
    };

    QTest::newRow("full form") << QVariantMap() << QList<int>() << fullEntries;
    QTest::newRow("empty PAN ID") << QVariantMap{{"txtPANID", ""}} << QList<int>() << without(fullEntries, "ID");
    QTest::newRow("empty channel mask") << QVariantMap{{"txtChannelMask", ""}} << QList<int>()
                                        << without(fullEntries, "CM");
    QTest::newRow("all text fields empty")
        << QVariantMap{{"txtTransmitOptions", ""}, {"txtChannelMask", ""}, {"txtPANID", ""},
                       {"txtBroadcastMultiTransmits", ""}, {"txtDestinationAddressLow", ""},
                       {"txtDestinationAddressHigh", ""}, {"txtPacketizationTimeout", ""}}
        << QList<int>() << QStringList{"BD=3", "NB=0", "SB=0", "AP=0", "WR"};
    QTest::newRow("lower case kept")
        << QVariantMap{{"txtDestinationAddressLow", "ffff"}, {"txtChannelMask", "3effdfff"}} << QList<int>()
        << QStringList{"TO=C0", "CM=3effdfff", "ID=7FFF", "MT=3", "DL=ffff", "DH=0",
                       "BD=3", "NB=0", "SB=0", "RO=3", "AP=0", "WR"};
    QTest::newRow("combo indices")
        << QVariantMap{{"cmbBaudRate", 7}, {"cmbParity", 2}, {"cmbStopBits", 1}, {"cmbAPIMode", 2}}
        << QList<int>()
        << QStringList{"TO=C0", "CM=3EFFFDFF", "ID=7FFF", "MT=3", "DL=FFFF", "DH=0",
                       "BD=7", "NB=2", "SB=1", "RO=3", "AP=2", "WR"};
    QTest::newRow("Scoreboard") << QVariantMap() << QList<int>{1} << scoreboardEntries;
    QStringList windSpeed = scoreboardEntries;
    windSpeed.replace(2, "ID=4444");
    QTest::newRow("WindSpeed") << QVariantMap() << QList<int>{2} << windSpeed;
    QTest::newRow("Custom after Scoreboard") << QVariantMap() << QList<int>{1, 0} << scoreboardEntries;
    QTest::newRow("Custom from WindSpeed resets the common values")
        << QVariantMap{{"cmbConfiguration", 2}, {"txtDestinationAddressLow", "1234"}, {"cmbBaudRate", 7},
                       {"txtPacketizationTimeout", "A"}, {"txtTransmitOptions", "C0"}}
        << QList<int>{0}
        << QStringList{"TO=40", "CM=3EFFFDFF", "ID=7FFF", "MT=0", "DL=FFFF", "DH=0",
                       "BD=3", "NB=0", "SB=0", "RO=3", "AP=0", "WR"};
}
// clang-format on

void tst_WriteSettings::entries()
{
    QFETCH(QVariantMap, changes);
    QFETCH(QList<int>, selections);
    QFETCH(QStringList, expected);

    OfflineDialog bench;
    QVERIFY(bench.makeReady());
    auto *selector = bench.dialog.findChild<QComboBox *>("cmbConfiguration");
    {
        const QSignalBlocker noPreset(selector); // the form as the user left it
        fill(bench.dialog, fullForm);
        fill(bench.dialog, changes);
    }
    for (int item : selections)
        selector->setCurrentIndex(item);

    button(bench.dialog, "btnWriteSettings")->click();

    QCOMPARE(bench.probe.runType(), int(RunWrite));
    QCOMPARE(bench.probe.commandList(), expected);
    QCOMPARE(bench.sent(), QList<QByteArray>{"+++"});
}

void tst_WriteSettings::onlyWritableNames()
{
    const QHash<QString, QString> values{{"AP", "1"}, {"SH", "13A200"}, {"SL", "1"},  {"VR", "8059"},
                                         {"MM", "1"}, {"DB", "4A"},     {"TO", "80"}, {"WR", "x"}};
    QCOMPARE(configWriteEntries(values), QStringList({"TO=80", "AP=1", "WR"}));
    QCOMPARE(configWriteEntries({}), QStringList{"WR"});
}

// clang-format off
void tst_WriteSettings::noPortWarning_data()
{
    QTest::addColumn<QString>("buttonName");
    QTest::addColumn<QString>("text");

    QTest::newRow("Read") << "btnReadSettings" << "Please select and open a serial port before reading settings.";
    QTest::newRow("Write") << "btnWriteSettings" << "Please select and open a serial port before writing settings.";
}
// clang-format on

void tst_WriteSettings::noPortWarning()
{
    QFETCH(QString, buttonName);
    QFETCH(QString, text);

    MessageBoxCatcher boxes;
    OfflineDialog bench;
    QVERIFY(bench.makeReady());
    bench.probe.setSerialPortOpen(false);

    button(bench.dialog, qPrintable(buttonName))->click();

    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.boxes().at(0).icon, QMessageBox::Warning);
    QCOMPARE(boxes.boxes().at(0).title, QString("Serial port not open"));
    QCOMPARE(boxes.boxes().at(0).text, text);
    QVERIFY(bench.sent().isEmpty());
    QCOMPARE(bench.probe.commandState(), int(StateIdle));
}

// Read followed by Write gives the module back what it had, API mode and all,
// also when its PAN ID selects a named configuration.
void tst_WriteSettings::readThenWriteKeepsTheModule()
{
    MessageBoxCatcher boxes;
    OfflineDialog bench;
    QVERIFY(bench.makeReady());
    const QHash<QString, QByteArray> module{{"TO", "C0"},   {"CM", "3EFFFDFF"}, {"ID", "3333"}, {"MT", "2"},
                                            {"DL", "1234"}, {"DH", "13A200"},   {"BD", "4"},    {"NB", "1"},
                                            {"SB", "1"},    {"RO", "A"},        {"AP", "2"}};
    auto answer = [&module](const QByteArray &sent) {
        const QString entry = QString::fromUtf8(sent.mid(2, sent.size() - 3));
        return module.value(entry, "OK");
    };

    button(bench.dialog, "btnReadSettings")->click();
    bench.runToEnd(answer);
    button(bench.dialog, "btnWriteSettings")->click();

    QCOMPARE(bench.probe.commandList(),
             QStringList({"TO=C0", "CM=3EFFFDFF", "ID=3333", "MT=2", "DL=1234", "DH=13A200", "BD=4", "NB=1", "SB=1",
                          "RO=A", "AP=2", "WR"}));
    QCOMPARE(bench.dialog.findChild<QComboBox *>("cmbConfiguration")->currentIndex(), 1);
    bench.runToEnd(answer);
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.boxes().at(0).icon, QMessageBox::Information);
}

QTEST_MAIN(tst_WriteSettings)
#include "tst_writesettings.moc"
