// tarnowick-cli on several simulated modules at once, as processes: the
// probe, a write to two ports of which one fails, and the bench as modules
// are plugged in and Ctrl-C ends it. The rules behind them are tst_clifleet's.
#include "modulesimulator.h"
#include "ptypair.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

const QByteArray profile = R"({"format": "tarnowick-profile", "version": 1, "settings": {"ID": "3333"}})";

} // namespace

class tst_CliBench : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void probe();
    void twoPortsOneFails();
    void bench();

private:
    // Starts tarnowick-cli with the record and the ports' memory kept in the test's folder.
    void start(QProcess &cli, const QStringList &arguments)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_DATA_HOME", files.path());
        cli.setProcessEnvironment(environment);
        cli.start(QStringLiteral(TARNOWICK_CLI), arguments);
        QVERIFY(cli.waitForStarted());
    }
    QString profilePath() const { return files.filePath("id.tarnowick-profile"); }

    QTemporaryDir files;
};

void tst_CliBench::initTestCase()
{
    if (!ModuleSimulator::isBuilt())
        QSKIP("the module simulator is not built");
    QFile file(profilePath());
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(profile) == profile.size());
}

// Every port asked side by side: modules at two rates, and a port where nobody answers.
void tst_CliBench::probe()
{
    ModuleSimulator modules(2, {"--bd", "B:5"});
    QVERIFY2(modules.start(), qPrintable(modules.errorString()));
    PtyPair nobody;
    const QString folder = QFileInfo(modules.portA()).path();
    QVERIFY(QFile::link(nobody.slavePath(), folder + "/moduleZ"));
    QProcess cli;
    start(cli, {"ports", "--probe", "--port-glob", folder + "/module*"});
    QVERIFY(cli.waitForFinished(30000));
    const QString out = QString::fromUtf8(cli.readAllStandardOutput());
    QCOMPARE(cli.exitCode(), 0);
    QVERIFY2(out.contains(modules.portA() + "  9600 8N1  13A20040F1A001  VR 8059\n"), qPrintable(out));
    QVERIFY2(out.contains(modules.portB() + "  38400 8N1  13A20040F1A002  VR 8059\n"), qPrintable(out));
    QVERIFY2(out.contains(folder + "/moduleZ  no module\n"), qPrintable(out));
}

void tst_CliBench::twoPortsOneFails()
{
    ModuleSimulator modules(2, {"--guard-ms", "50", "--silent", "B"});
    QVERIFY2(modules.start(), qPrintable(modules.errorString()));
    QProcess cli;
    start(cli,
          {"write", profilePath(), "--port", modules.portA(), "--port", modules.portB(), "--log",
           files.filePath("two.jsonl"), "--name", "MAST-{n}"});
    QVERIFY(cli.waitForFinished(30000));
    const QStringList out = QString::fromUtf8(cli.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(cli.exitCode(), 1);
    QCOMPARE(out.size(), 3);
    QVERIFY2(out.at(0).startsWith(modules.portA() + "  13A20040F1A001  MAST-1  written, read back, recorded"),
             qPrintable(out.join('\n')));
    QCOMPARE(
        out.at(2),
        QString("2 modules: 1 written and verified, 1 failed (%1: the module did not answer).").arg(modules.portB()));
}

// Two modules plugged in one after the other, one left in all along: each is
// programmed once, named in turn; Ctrl-C ends the bench with its summary.
void tst_CliBench::bench()
{
    ModuleSimulator modules(3, {"--guard-ms", "50", "--unplugged", "C"});
    QVERIFY2(modules.start(), qPrintable(modules.errorString()));
    QProcess cli;
    const QString folder = QFileInfo(modules.portA()).path();
    start(cli,
          {"bench", profilePath(), "--port-glob", folder + "/module*", "--name", "T-{n:02}", "--log",
           files.filePath("bench.jsonl")});
    QString out;
    const auto programmed = [&](const QString &name) {
        out += QString::fromUtf8(cli.readAllStandardOutput());
        return out.contains(name + "  written, read back, recorded");
    };
    QTRY_VERIFY_WITH_TIMEOUT(programmed("T-02"), 10000);
    QVERIFY(modules.plug('C'));
    QTRY_VERIFY_WITH_TIMEOUT(programmed("T-03"), 10000);
    QTest::qWait(1500); // A and B stay in: neither is written again
    ::kill(pid_t(cli.processId()), SIGINT);
    QVERIFY(cli.waitForFinished(10000));
    out += QString::fromUtf8(cli.readAllStandardOutput());
    QCOMPARE(cli.exitCode(), 0);
    QCOMPARE(out.count("written, read back, recorded"), 3);
    QVERIFY2(out.contains(modules.port('C') + "  13A20040F1A003  T-03  written"), qPrintable(out));
    QVERIFY2(out.endsWith("Bench ended: 3 modules: 3 written and verified.\n"), qPrintable(out));
}

QTEST_GUILESS_MAIN(tst_CliBench)
#include "tst_clibench.moc"
