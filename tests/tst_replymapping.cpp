#include "app/configsequence.h"
#include "app/replymapping.h"
#include "debugtranscript.h"
#include "formsnapshot.h"
#include "offlinedialog.h"

#include <QPushButton>
#include <QTest>

namespace {

const QHash<QString, QByteArray> moduleRegisters = {
    {"VR", "8059"},   {"VH", "1B"}, {"HV", "2248"},   {"TO", "C0"},       {"CM", "3EFFFDFF"},
    {"ID", "7FFF"},   {"MT", "3"},  {"SH", "13A200"}, {"SL", "41B2C3D4"}, {"DL", "1234"},
    {"DH", "13A200"}, {"NI", " "},  {"PL", "4"},      {"RR", "A"},        {"CE", "0"},
    {"BD", "4"},      {"NB", "2"},  {"SB", "1"},      {"RO", "A"},        {"AP", "2"},
};

} // namespace

class tst_ReplyMapping : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void reply_data();
    void reply();
    void panId_data();
    void panId();
    void conversions_data();
    void conversions();

private:
    std::unique_ptr<OfflineDialog> bench;
};

void tst_ReplyMapping::initTestCase()
{
    bench = std::make_unique<OfflineDialog>();
    QVERIFY(bench->makeReady());
}

// clang-format off
void tst_ReplyMapping::reply_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("widget");   // empty: the form stays as it was
    QTest::addColumn<QString>("expected"); // text, or combo index
    QTest::addColumn<QString>("debug");    // the one debug line expected, or none

    QTest::newRow("CM") << "CM" << "3EFFFDFF" << "txtChannelMask" << "3EFFFDFF" << "";
    QTest::newRow("CM lower case kept") << "CM" << "3effdfff" << "txtChannelMask" << "3effdfff" << "";
    QTest::newRow("TO") << "TO" << "C0" << "txtTransmitOptions" << "C0" << "";
    QTest::newRow("TO wider than typed") << "TO" << "123456" << "txtTransmitOptions" << "123456" << "";
    QTest::newRow("MT") << "MT" << "3" << "txtBroadcastMultiTransmits" << "3" << "";
    QTest::newRow("SH") << "SH" << "13A200" << "lblSerialHighValue" << "13A200" << "";
    QTest::newRow("SL") << "SL" << "41B2C3D4" << "lblSerialLowValue" << "41B2C3D4" << "";
    QTest::newRow("DL") << "DL" << "FFFF" << "txtDestinationAddressLow" << "FFFF" << "";
    QTest::newRow("DL empty") << "DL" << "" << "txtDestinationAddressLow" << "" << "";
    QTest::newRow("DH") << "DH" << "0" << "txtDestinationAddressHigh" << "0" << "";
    QTest::newRow("RO two digits") << "RO" << "FF" << "txtPacketizationTimeout" << "FF" << "";
    QTest::newRow("RO error text shown") << "RO" << "ERROR" << "txtPacketizationTimeout" << "ERROR" << "";

    QTest::newRow("BD 7") << "BD" << "7" << "cmbBaudRate" << "7" << "";
    QTest::newRow("BD 0") << "BD" << "0" << "cmbBaudRate" << "0" << "";
    QTest::newRow("BD 8 refused") << "BD" << "8" << "" << "" << "Invalid Baud Rate response:  \"8\"";
    QTest::newRow("BD -1 refused") << "BD" << "-1" << "" << "" << "Invalid Baud Rate response:  \"-1\"";
    QTest::newRow("BD hexadecimal counts 0") << "BD" << "1C200" << "cmbBaudRate" << "0" << "";
    QTest::newRow("BD empty counts 0") << "BD" << "" << "cmbBaudRate" << "0" << "";
    QTest::newRow("NB 2") << "NB" << "2" << "cmbParity" << "2" << "";
    QTest::newRow("NB 3 refused") << "NB" << "3" << "" << "" << "Invalid Parity response:  \"3\"";
    QTest::newRow("NB error counts 0") << "NB" << "ERROR" << "cmbParity" << "0" << "";
    QTest::newRow("SB 0") << "SB" << "0" << "cmbStopBits" << "0" << "";
    QTest::newRow("SB 2 refused") << "SB" << "2" << "" << "" << "Invalid Stop Bits response:  \"2\"";
    QTest::newRow("AP 0") << "AP" << "0" << "cmbAPIMode" << "0" << "";
    QTest::newRow("AP 2") << "AP" << "2" << "cmbAPIMode" << "2" << "";
    QTest::newRow("AP 3 refused") << "AP" << "3" << "" << "" << "Invalid API Mode response:  \"3\"";
    QTest::newRow("AP error refused") << "AP" << "ERROR" << "" << "" << "Invalid API Mode response:  \"ERROR\"";
    QTest::newRow("AP empty refused") << "AP" << "" << "" << "" << "Invalid API Mode response:  \"\"";

    QTest::newRow("VR logged") << "VR" << "8059" << "" << "" << "Command  \"VR\"  response:  \"8059\"";
    QTest::newRow("NI logged") << "NI" << "" << "" << "" << "Command  \"NI\"  response:  \"\"";
    QTest::newRow("write entry") << "ID=3333" << "OK" << "" << "" << "Command  \"ID=3333\"  response:  \"OK\"";
    QTest::newRow("store") << "WR" << "ERROR" << "" << "" << "Command  \"WR\"  response:  \"ERROR\"";
    QTest::newRow("names are case-sensitive") << "bd" << "1" << "" << ""
                                              << "Command  \"bd\"  response:  \"1\"";
}
// clang-format on

void tst_ReplyMapping::reply()
{
    QFETCH(QString, command);
    QFETCH(QString, reply);
    QFETCH(QString, widget);
    QFETCH(QString, expected);
    QFETCH(QString, debug);

    scrambleForm(bench->dialog, 0);
    FormState expectedState = formState(bench->dialog);
    if (!widget.isEmpty())
        expectedState[widget] = expected;

    DebugTranscript transcript;
    bench->probe.parseCommandResponse(command, reply);

    QCOMPARE(formState(bench->dialog), expectedState);
    QCOMPARE(transcript.lines(), debug.isEmpty() ? QStringList() : QStringList{debug});
}

// clang-format off
void tst_ReplyMapping::panId_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("shownBefore"); // item of cmbConfiguration
    QTest::addColumn<bool>("inReadRun");
    QTest::addColumn<int>("selected");

    const QList<std::tuple<const char *, QString, int, int>> cases{
        {"3333 from Custom", "3333", 0, 1},      {"4444 from Custom", "4444", 0, 2},
        {"3333 already Scoreboard", "3333", 1, 1}, {"4444 from Scoreboard", "4444", 1, 2},
        {"1234 from Scoreboard", "1234", 1, 0},  {"0x1234 from WindSpeed", "0x1234", 2, 0},
        {"error text from WindSpeed", "ERROR", 2, 0},
    };
    for (const auto &[name, reply, before, selected] : cases) {
        QTest::addRow("%s, direct", name) << reply << before << false << selected;
        QTest::addRow("%s, read run", name) << reply << before << true << selected;
    }
}
// clang-format on

// The selector follows the module's PAN ID; the form keeps every value the module reported.
void tst_ReplyMapping::panId()
{
    QFETCH(QString, reply);
    QFETCH(int, shownBefore);
    QFETCH(bool, inReadRun);
    QFETCH(int, selected);

    scrambleForm(bench->dialog, shownBefore);
    FormState expectedState = formState(bench->dialog);

    if (inReadRun) {
        static_cast<QPushButton *>(bench->dialog.findChild<QWidget *>("btnReadSettings"))->click();
        bench->runToEnd([&reply](const QByteArray &sent) {
            const QString entry = QString::fromUtf8(sent.mid(2, sent.size() - 3));
            if (entry == "ID")
                return reply.toUtf8();
            return sent.startsWith("AT") ? moduleRegisters.value(entry, "OK") : QByteArray("OK");
        });
        QCOMPARE(bench->probe.commandState(), int(StateIdle));
        const QList<std::pair<const char *, const char *>> shown{{"txtTransmitOptions", "TO"},
                                                                 {"txtChannelMask", "CM"},
                                                                 {"txtBroadcastMultiTransmits", "MT"},
                                                                 {"lblSerialHighValue", "SH"},
                                                                 {"lblSerialLowValue", "SL"},
                                                                 {"txtDestinationAddressLow", "DL"},
                                                                 {"txtDestinationAddressHigh", "DH"},
                                                                 {"txtPacketizationTimeout", "RO"},
                                                                 {"cmbBaudRate", "BD"},
                                                                 {"cmbParity", "NB"},
                                                                 {"cmbStopBits", "SB"},
                                                                 {"cmbAPIMode", "AP"}};
        for (const auto &[widget, command] : shown)
            expectedState[widget] = QString::fromUtf8(moduleRegisters.value(command));
    } else {
        bench->probe.parseCommandResponse("ID", reply);
    }

    expectedState["txtPANID"] = reply;
    expectedState["cmbConfiguration"] = QString::number(selected);
    QCOMPARE(formState(bench->dialog), expectedState);
}

// clang-format off
void tst_ReplyMapping::conversions_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("acknowledges");
    QTest::addColumn<int>("configuration");
    QTest::addColumn<int>("baudRateIndex"); // 8 items
    QTest::addColumn<int>("apiMode");

    QTest::newRow("OK") << "OK" << true << 0 << 0 << -1;
    QTest::newRow("NOK") << "NOK" << true << 0 << 0 << -1;
    QTest::newRow("ok") << "ok" << false << 0 << 0 << -1;
    QTest::newRow("3333") << "3333" << false << 1 << -1 << -1;
    QTest::newRow("4444") << "4444" << false << 2 << -1 << -1;
    QTest::newRow("33333") << "33333" << false << 0 << -1 << -1;
    QTest::newRow("1") << "1" << false << 0 << 1 << 1;
    QTest::newRow("7") << "7" << false << 0 << 7 << -1;
    QTest::newRow("8") << "8" << false << 0 << -1 << -1;
    QTest::newRow("-2") << "-2" << false << 0 << -1 << -1;
    QTest::newRow("empty") << "" << false << 0 << 0 << -1;
    QTest::newRow("huge") << "99999999999999999999" << false << 0 << 0 << -1;
}
// clang-format on

void tst_ReplyMapping::conversions()
{
    QFETCH(QString, reply);
    QFETCH(bool, acknowledges);
    QFETCH(int, configuration);
    QFETCH(int, baudRateIndex);
    QFETCH(int, apiMode);

    QCOMPARE(Reply::isAcknowledgement(reply), acknowledges);
    QCOMPARE(Reply::configurationForPanId(reply), configuration);
    QCOMPARE(Reply::comboIndex(reply, 8), baudRateIndex);
    QCOMPARE(Reply::apiModeIndex(reply), apiMode);
}

QTEST_MAIN(tst_ReplyMapping)
#include "tst_replymapping.moc"
