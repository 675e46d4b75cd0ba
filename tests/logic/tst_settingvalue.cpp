// What a write run may send, checked as Save… checks it, and whether a value
// the module replies is the one the form holds.
#include "catalogue/modulesettings.h"
#include "logic/profilefile.h"
#include "logic/settingvalue.h"

#include <QTest>

class tst_SettingValue : public QObject
{
    Q_OBJECT

private slots:
    void value_data();
    void value();
};

void tst_SettingValue::value_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("reply"); // from the module; empty: not compared
    QTest::addColumn<bool>("same");

    // clang-format off
    QTest::newRow("hex case") << "TO" << "c0" << true << "C0" << true;
    QTest::newRow("three digits") << "TO" << "0C0" << false << "C0" << true;
    QTest::newRow("other number") << "DL" << "FFFF" << true << "FFFE" << false;
    QTest::newRow("address, nine digits") << "DH" << "00013A200" << false << "" << false;
    QTest::newRow("module's error") << "ID" << "3333" << true << "ERROR" << false;
    QTest::newRow("NUL") << "ID" << QString("33") + QChar(0) << false << "" << false;
    QTest::newRow("replacement character") << "DL" << QString("FF") + QChar(0xFFFD) << false << "" << false;
    QTest::newRow("mask") << "CM" << "3efffdff" << true << "3EFFFDFF" << true;
    QTest::newRow("mask, leading zeros") << "CM" << "000FFC00" << true << "FFC00" << true;
    QTest::newRow("mask, channel 9") << "CM" << "200" << false << "" << false;
    QTest::newRow("mask, channel 24") << "CM" << "1000000" << false << "" << false;
    QTest::newRow("mask, bit 30") << "CM" << "40000000" << false << "" << false;
    QTest::newRow("mask, bit 31") << "CM" << "80000000" << false << "" << false;
    QTest::newRow("mask, nine digits") << "CM" << "0000000FF" << false << "FF" << true;
    QTest::newRow("mask, hundreds of zeros") << "CM" << QString(300, '0') + "1F" << false << "" << false;
    QTest::newRow("mask, NUL") << "CM" << QString("1F") + QChar(0) << false << "" << false;
    QTest::newRow("combo item") << "AP" << "2" << true << "2" << true;
    QTest::newRow("combo index is decimal") << "BD" << "10" << false << "A" << false;
    QTest::newRow("combo, leading zero") << "BD" << "03" << false << "3" << true;
    QTest::newRow("not written") << "SH" << "13A200" << false << "" << false;
    // clang-format on
}

void tst_SettingValue::value()
{
    QFETCH(QString, command);
    QFETCH(QString, value);
    QFETCH(bool, accepted);
    QFETCH(QString, reply);
    QFETCH(bool, same);

    const ModuleSetting &setting = *ModuleSettings::find(command);
    QCOMPARE(SettingValue::accepts(setting, value), accepted);
    const QString problem = ProfileFile::invalidValue({{"ID", "3333"}, {command, value}});
    QCOMPARE(problem.startsWith("Invalid value for " + command + ": "), !accepted);
    if (!reply.isEmpty()) {
        QCOMPARE(SettingValue::sameValue(setting, value, reply), same);
        QCOMPARE(SettingValue::sameValue(setting, reply, value), same);
    }
}

QTEST_GUILESS_MAIN(tst_SettingValue)
#include "tst_settingvalue.moc"
