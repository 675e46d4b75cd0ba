#include "formsnapshot.h"
#include "offlinedialog.h"

#include <QComboBox>
#include <QTest>

namespace {

// What every selection writes: broadcast, point-multipoint, transparent 9600 8N1.
const FormState common{{"txtDestinationAddressHigh", "0"},
                       {"txtDestinationAddressLow", "FFFF"},
                       {"txtTransmitOptions", "40"},
                       {"txtBroadcastMultiTransmits", "0"},
                       {"cmbMACMode", "1"},
                       {"cmbAPIMode", "0"},
                       {"cmbBaudRate", "3"},
                       {"cmbParity", "0"},
                       {"cmbStopBits", "0"},
                       {"txtPacketizationTimeout", "3"}};

} // namespace

class tst_Presets : public QObject
{
    Q_OBJECT

private slots:
    void selection_data();
    void selection();
};

// clang-format off
void tst_Presets::selection_data()
{
    QTest::addColumn<int>("shown");
    QTest::addColumn<QList<int>>("picked"); // by the user, one after the other
    QTest::addColumn<FormState>("changed"); // the fields that differ from the filled form afterwards

    const FormState scoreboard = merged(common, {{"txtChannelMask", "3EFFFC00"}, {"txtPANID", "3333"}});
    const FormState windSpeed = merged(common, {{"txtChannelMask", "3EFFFC00"}, {"txtPANID", "4444"}});

    QTest::newRow("Scoreboard") << 0 << QList<int>{1} << merged(scoreboard, {{"cmbConfiguration", "1"}});
    QTest::newRow("WindSpeed") << 0 << QList<int>{2} << merged(windSpeed, {{"cmbConfiguration", "2"}});
    QTest::newRow("Custom keeps mask and PAN ID") << 1 << QList<int>{0} << merged(common, {{"cmbConfiguration", "0"}});
    QTest::newRow("Custom after Scoreboard") << 0 << QList<int>{1, 0} << merged(scoreboard, {{"cmbConfiguration", "0"}});
    QTest::newRow("WindSpeed to Scoreboard") << 2 << QList<int>{1} << merged(scoreboard, {{"cmbConfiguration", "1"}});
    QTest::newRow("same item again") << 1 << QList<int>{1} << FormState();
}
// clang-format on

void tst_Presets::selection()
{
    QFETCH(int, shown);
    QFETCH(QList<int>, picked);
    QFETCH(FormState, changed);

    OfflineDialog bench;
    QVERIFY(bench.makeReady());
    scrambleForm(bench.dialog, shown);
    const FormState expected = merged(formState(bench.dialog), changed);

    auto *selector = bench.dialog.findChild<QComboBox *>("cmbConfiguration");
    for (int item : picked)
        selector->setCurrentIndex(item);

    QCOMPARE(formState(bench.dialog), expected);
    QVERIFY2(bench.sent().isEmpty(), "choosing a configuration sends nothing");
}

QTEST_MAIN(tst_Presets)
#include "tst_presets.moc"
