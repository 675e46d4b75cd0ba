// What the program knows of the module's values, and which fields of the form
// differ from them: as the module stores them, and never before a Read.
#include "logic/modulevalues.h"

#include <QTest>

namespace {

// "TO=c0 ID=" -> {TO: "c0", ID: ""}
QHash<QString, QString> values(const QString &text)
{
    QHash<QString, QString> result;
    for (const QString &pair : text.split(' ', Qt::SkipEmptyParts))
        result.insert(pair.section('=', 0, 0), pair.section('=', 1));
    return result;
}

} // namespace

class tst_ModuleValues : public QObject
{
    Q_OBJECT

private slots:
    void differing_data();
    void differing();
};

void tst_ModuleValues::differing_data()
{
    QTest::addColumn<QStringList>("steps"); // "read" starts a Read, "R ID=1" a reply, "W ID=1" a write, "forget"
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("differing");
    QTest::addColumn<QString>("serial");

    const QString form = "TO=c0 CM=3effFC00 ID=0033 BD=3 AP=1 DH=";
    // clang-format off
    QTest::newRow("before any Read") << QStringList{"W ID=1"} << form << "" << "";
    QTest::newRow("hex case and leading zeros") << QStringList{"read", "R TO=C0", "R CM=3EFFFC00", "R ID=33", "R BD=3"} << form << "" << "";
    QTest::newRow("unknown and empty never differ") << QStringList{"read", "R DH=13", "R VR=8059"} << form << "" << "";
    QTest::newRow("text and combo differ") << QStringList{"read", "R TO=40", "R ID=3333", "R BD=4", "R AP=1"} << form << "TO,ID,BD" << "";
    QTest::newRow("written value taken") << QStringList{"read", "R ID=3333", "R BD=4", "W ID=33", "W WR="} << form << "BD" << "";
    QTest::newRow("reply naming no item") << QStringList{"read", "R AP=2", "R AP=ERROR"} << form << "" << "";
    QTest::newRow("new Read replaces the old") << QStringList{"read", "R TO=40", "read", "R ID=1"} << form << "ID" << "";
    QTest::newRow("Read that got no reply") << QStringList{"read", "R TO=40", "read"} << form << "TO" << "";
    QTest::newRow("port changed") << QStringList{"read", "R TO=40", "forget", "W TO=1"} << form << "" << "";
    QTest::newRow("serial number") << QStringList{"read", "R SH=13a200", "R SL=F1A001"} << form << "" << "13A20000F1A001";
    QTest::newRow("serial number not hex") << QStringList{"read", "R SH=ERROR", "R SL=40F1A001"} << form << "" << "";
    // clang-format on
}

void tst_ModuleValues::differing()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, form);
    QFETCH(QString, differing);
    QFETCH(QString, serial);

    ModuleValues module;
    for (const QString &step : steps) {
        const QString command = step.section(' ', 1).section('=', 0, 0);
        const QString value = step.section('=', 1);
        if (step == "read")
            module.startRead();
        else if (step == "forget")
            module.forget();
        else if (step.startsWith("R "))
            module.takeReply(command, value);
        else
            module.takeWritten(command, value);
    }
    QCOMPARE(module.differing(values(form)).join(','), differing);
    QCOMPARE(module.serialNumber(), serial);
}

QTEST_GUILESS_MAIN(tst_ModuleValues)
#include "tst_modulevalues.moc"
