// What a write run may send for each setting, and when a value read back
// from the module is the one a profile or the form holds.
#include "catalogue/atcommands.h"
#include "catalogue/modulesettings.h"
#include "logic/profilefile.h"
#include "logic/settingvalue.h"

#include <QTest>

class tst_SettingValue : public QObject
{
    Q_OBJECT

private slots:
    void accepts_data();
    void accepts();
    void sameValue_data();
    void sameValue();
    void commandsInCatalogueOrder();
};

void tst_SettingValue::accepts_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("accepted");

    // clang-format off
    QTest::newRow("two digits") << "TO" << "c0" << true;
    QTest::newRow("three digits") << "TO" << "0C0" << false;
    QTest::newRow("PAN ID") << "ID" << "FFFF" << true;
    QTest::newRow("PAN ID too long") << "ID" << "10000" << false;
    QTest::newRow("address, eight digits") << "DL" << "0013A200" << true;
    QTest::newRow("address, nine digits") << "DH" << "00013A200" << false;
    QTest::newRow("retransmissions") << "MT" << "5" << true;
    QTest::newRow("retransmissions out of range") << "MT" << "6" << false;
    QTest::newRow("empty") << "RO" << "" << false;
    QTest::newRow("trailing line break") << "RO" << "1F\n" << false;
    QTest::newRow("NUL") << "ID" << QString("33") + QChar(0) << false;
    QTest::newRow("replacement character") << "DL" << QString("FF") + QChar(0xFFFD) << false;
    QTest::newRow("mask") << "CM" << "3EFFFDFF" << true;
    QTest::newRow("mask, lower case") << "CM" << "3efffc00" << true;
    QTest::newRow("mask, channel 9") << "CM" << "200" << false;
    QTest::newRow("mask, channel 24") << "CM" << "1000000" << false;
    QTest::newRow("mask, bit 30") << "CM" << "40000000" << false;
    QTest::newRow("mask, bit 31") << "CM" << "80000000" << false;
    QTest::newRow("mask, nine digits") << "CM" << "0000000FF" << false;
    QTest::newRow("mask, hundreds of zeros") << "CM" << QString(300, '0') + "1F" << false;
    QTest::newRow("mask, prefix") << "CM" << "0x1F" << false;
    QTest::newRow("mask, blank") << "CM" << " 1F" << false;
    QTest::newRow("mask, module's error") << "CM" << "ERROR" << false;
    QTest::newRow("mask, NUL") << "CM" << QString("1F") + QChar(0) << false;
    QTest::newRow("combo item") << "AP" << "2" << true;
    QTest::newRow("combo, no such item") << "AP" << "3" << false;
    QTest::newRow("combo, last rate") << "BD" << "7" << true;
    QTest::newRow("combo, leading zero") << "BD" << "03" << false;
    QTest::newRow("combo, sign") << "SB" << "+1" << false;
    QTest::newRow("combo, negative") << "NB" << "-1" << false;
    QTest::newRow("not written") << "SH" << "13A200" << false;
    // clang-format on
}

// The same check guards Save… and a write run, with the text the user is shown.
void tst_SettingValue::accepts()
{
    QFETCH(QString, command);
    QFETCH(QString, value);
    QFETCH(bool, accepted);

    const ModuleSetting *setting = ModuleSettings::find(command);
    QVERIFY(setting);
    QCOMPARE(SettingValue::accepts(*setting, value), accepted);
    const QString problem = ProfileFile::invalidValue({{command, value}});
    QCOMPARE(problem.startsWith("Invalid value for " + command + ": "), !accepted);
}

void tst_SettingValue::sameValue_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<bool>("same");

    // clang-format off
    QTest::newRow("hex case") << "TO" << "c0" << "C0" << true;
    QTest::newRow("leading zeros") << "CM" << "0003EFFC00" << "3EFFC00" << true;
    QTest::newRow("other number") << "DL" << "FFFF" << "FFFE" << false;
    QTest::newRow("combo index") << "BD" << "3" << "3" << true;
    QTest::newRow("other index") << "AP" << "1" << "2" << false;
    QTest::newRow("combo index is decimal") << "BD" << "10" << "A" << false;
    QTest::newRow("module's error") << "ID" << "3333" << "ERROR" << false;
    QTest::newRow("same text, no number") << "CM" << "ERROR" << "ERROR" << true;
    // clang-format on
}

void tst_SettingValue::sameValue()
{
    QFETCH(QString, command);
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(bool, same);

    QCOMPARE(SettingValue::sameValue(*ModuleSettings::find(command), a, b), same);
    QCOMPARE(SettingValue::sameValue(*ModuleSettings::find(command), b, a), same);
}

// Made from the catalogue while the program's globals are set up: the order a read run asks in.
void tst_SettingValue::commandsInCatalogueOrder()
{
    const QString order = "VR VH HV TO CM ID MT SH SL DL DH NI PL RR CE BD NB SB RO AP";
    QCOMPARE(atCommandList, order.split(' '));
}

QTEST_GUILESS_MAIN(tst_SettingValue)
#include "tst_settingvalue.moc"
