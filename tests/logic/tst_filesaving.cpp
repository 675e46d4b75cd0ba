// Saving to whatever name the user picks: a new or an earlier file, a device,
// a named pipe with or without a reader. Nothing may wait, and nothing that
// did not land may count as saved.
#include "logic/filesaving.h"
#include "namedpipe.h"

#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(SaveResult)

class tst_FileSaving : public QObject
{
    Q_OBJECT

private slots:
    void save_data();
    void save();

private:
    QTemporaryDir dir;
};

void tst_FileSaving::save_data()
{
    QTest::addColumn<QString>("target"); // a device, or a name in the test's folder; "pipe", "read pipe": named pipes
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("writer"); // "checked", "unchecked" (claims success), "refuses"
    QTest::addColumn<SaveResult>("result");
    QTest::addColumn<QByteArray>("left"); // what the file holds or the reader got afterwards; "-": not looked at

    const QByteArray line = "{\"format\": \"tarnowick-profile\"}\n";
    const QByteArray large(1 << 20, 'x'); // beyond the file's buffer, so it is written at once
    // clang-format off
    QTest::newRow("new file") << "new" << line << "checked" << SaveResult::Saved << line;
    QTest::newRow("earlier file replaced") << "old" << line << "checked" << SaveResult::Saved << line;
    QTest::newRow("refused save keeps earlier file") << "old" << line << "refuses" << SaveResult::WriteFailed << QByteArray("earlier");
    QTest::newRow("no such folder") << "gone/new" << line << "checked" << SaveResult::OpenFailed << QByteArray();
    QTest::newRow("pipe without reader") << "pipe" << line << "checked" << SaveResult::WriteFailed << QByteArray("-");
    QTest::newRow("pipe with reader") << "read pipe" << line << "checked" << SaveResult::Saved << line;
    QTest::newRow("device taking all") << "/dev/null" << large << "checked" << SaveResult::Saved << QByteArray("-");
    QTest::newRow("device taking nothing") << "/dev/full" << line << "checked" << SaveResult::WriteFailed << QByteArray("-");
    QTest::newRow("device taking nothing, unchecked") << "/dev/full" << large << "unchecked" << SaveResult::WriteFailed << QByteArray("-");
    // clang-format on
}

void tst_FileSaving::save()
{
    QFETCH(QString, target);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, writer);
    QFETCH(SaveResult, result);
    QFETCH(QByteArray, left);

    const QString path = target.startsWith('/') ? target : dir.filePath(target);
    QFile earlier(path);
    if (target == "old")
        QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("earlier") == 7 && earlier.flush());
    if (target.endsWith("pipe"))
        QVERIFY(makeNamedPipe(path));
    QFile received; // the reader, ready before the save starts
    if (target == "read pipe") {
        const int reader = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
        QVERIFY(reader >= 0 && received.open(reader, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
    }

    const auto write = [&](QIODevice *file) {
        const bool took = file->write(bytes) == bytes.size();
        return writer == "unchecked" || (writer == "checked" && took);
    };
    SaveResult saved;
    {
        const PipeWatchdog watchdog(path);
        saved = saveFile(path, {}, write);
        QVERIFY2(!watchdog.fired(), "waited on the pipe");
    }
    QCOMPARE(saved, result);
    if (left == "-")
        return;
    QFile file(path);
    QCOMPARE(received.isOpen()                    ? received.readAll()
                 : file.open(QIODevice::ReadOnly) ? file.readAll()
                                                  : QByteArray(),
             left);
}

QTEST_GUILESS_MAIN(tst_FileSaving)
#include "tst_filesaving.moc"
