// Saving to a device or a named pipe the user picks: nothing may wait, and
// nothing that did not land may count as saved.
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
};

void tst_FileSaving::save_data()
{
    // A device, or a named pipe: "pipe", "read pipe" (one with a reader), "left pipe" (its reader
    // leaves before the bytes come, which raises SIGPIPE and would end the program).
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("checked"); // whether the writer reports a short write
    QTest::addColumn<SaveResult>("result");

    const int large = 1 << 20; // beyond the file's buffer, so it is written at once
    QTest::newRow("pipe without reader") << "pipe" << 10 << true << SaveResult::WriteFailed;
    QTest::newRow("pipe with reader") << "read pipe" << 10 << true << SaveResult::Saved;
    QTest::newRow("pipe whose reader leaves") << "left pipe" << 10 << true << SaveResult::WriteFailed;
    QTest::newRow("device taking all") << "/dev/null" << large << true << SaveResult::Saved;
    QTest::newRow("device taking nothing") << "/dev/full" << 10 << true << SaveResult::WriteFailed;
    QTest::newRow("device taking nothing, unchecked") << "/dev/full" << large << false << SaveResult::WriteFailed;
}

void tst_FileSaving::save()
{
    QFETCH(QString, target);
    QFETCH(int, size);
    QFETCH(bool, checked);
    QFETCH(SaveResult, result);

    QTemporaryDir dir;
    const QString path = target.startsWith('/') ? target : dir.filePath(target);
    QVERIFY(!target.endsWith("pipe") || makeNamedPipe(path));
    QFile reader; // ready before the save starts
    if (target != "pipe" && target.endsWith("pipe"))
        QVERIFY(reader.open(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK), QIODevice::ReadOnly,
                            QFileDevice::AutoCloseHandle));

    const QByteArray bytes(size, 'x');
    const auto write = [&](QIODevice *device) {
        if (target == "left pipe")
            reader.close();
        return device->write(bytes) == size || !checked;
    };
    const PipeWatchdog watchdog(path);
    QCOMPARE(saveFile(path, {}, write), result);
    QVERIFY2(!watchdog.fired, "waited on the pipe");
    if (reader.isOpen())
        QCOMPARE(reader.readAll(), bytes);
}

QTEST_GUILESS_MAIN(tst_FileSaving)
#include "tst_filesaving.moc"
