#include "app/fendrakexbeeconfiguratordialog.h"
#include "app/rangetestfiledialog.h"
#include "dialogprobe.h"
#include "isolatedsettings.h"
#include "messageboxcatcher.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <sys/resource.h>

namespace {

// Plays the user in front of the platform's save dialog: notes how it
// asked, then cancels it.
class SaveDialogCanceller : public QObject
{
public:
    SaveDialogCanceller()
    {
        connect(&poller, &QTimer::timeout, this, &SaveDialogCanceller::cancelVisibleDialog);
        poller.start(10);
    }

    int asked = 0;
    QString caption;
    QStringList filters;
    QFileDialog::AcceptMode acceptMode = QFileDialog::AcceptOpen;
    QWidget *parent = nullptr;

private:
    void cancelVisibleDialog()
    {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        ++asked;
        caption = dialog->windowTitle();
        filters = dialog->nameFilters();
        acceptMode = dialog->acceptMode();
        parent = dialog->parentWidget();
        dialog->reject();
    }

    QTimer poller;
};

// What the program asked when it wanted a file name.
struct Question
{
    QWidget *parent = nullptr;
    QString caption;
    QString filter;
};

// Lets no file of this process grow past `bytes` while it lives.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved);
        // Without this, going past the limit ends the process instead of failing the write.
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved;
        limited.rlim_cur = bytes;
        active = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
    }

    bool active = false;

private:
    rlimit saved{};
    void (*previousHandler)(int) = SIG_DFL;
};

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

const QString exportTitle = QStringLiteral("Export results");

} // namespace

class tst_Export : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void nothingToExport_data();
    void nothingToExport();
    void threeSamples();
    void keepsNewest500();
    void cancelledInPlatformDialog();
    void unwritablePath_data();
    void unwritablePath();
    void replacesExistingFile();
    void failedWriteKeepsOldFile();

private:
    void record(int samples);
    void exportTo(const QString &fileName);

    std::unique_ptr<IsolatedSettings> settings;
    std::unique_ptr<FendrakeXBeeConfiguratorDialog> dialog;
    std::unique_ptr<MessageBoxCatcher> boxes;
    QList<Question> questions;
    QTemporaryDir folder;
};

void tst_Export::initTestCase()
{
    settings = std::make_unique<IsolatedSettings>();
    QVERIFY(folder.isValid());
}

void tst_Export::init()
{
    dialog = std::make_unique<FendrakeXBeeConfiguratorDialog>();
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    dialog->findChild<QRadioButton *>("rdbReceiver")->click();
    boxes = std::make_unique<MessageBoxCatcher>();
}

void tst_Export::cleanup()
{
    setSaveFileNameSource({});
    questions.clear();
    boxes.reset();
    dialog.reset();
    QDir(folder.path()).removeRecursively();
    QDir().mkpath(folder.path());
}

void tst_Export::record(int samples)
{
    DialogProbe probe(*dialog);
    for (int i = 0; i < samples; ++i)
        probe.addRssiSample(-60 - i % 40);
}

void tst_Export::exportTo(const QString &fileName)
{
    setSaveFileNameSource([this, fileName](QWidget *parent, const QString &caption, const QString &filter) {
        questions.append({parent, caption, filter});
        return fileName;
    });
    dialog->findChild<QPushButton *>("btnExportResults")->click();
}

void tst_Export::nothingToExport_data()
{
    QTest::addColumn<bool>("afterModeClick");

    QTest::newRow("right after start-up") << false;
    QTest::newRow("after a mode click") << true;
}

void tst_Export::nothingToExport()
{
    QFETCH(bool, afterModeClick);

    if (afterModeClick) {
        record(3);
        dialog->findChild<QRadioButton *>("rdbReceiver")->click();
    }
    exportTo(folder.filePath("never.csv"));

    QVERIFY(questions.isEmpty());
    QCOMPARE(boxes->count(), 1);
    QCOMPARE(boxes->boxes().at(0).icon, QMessageBox::Information);
    QCOMPARE(boxes->boxes().at(0).title, exportTitle);
    QCOMPARE(boxes->boxes().at(0).text, QStringLiteral("No RSSI data to export"));
    QVERIFY(!QFile::exists(folder.filePath("never.csv")));
}

void tst_Export::threeSamples()
{
    record(3);
    const QString path = folder.filePath("three"); // no extension is added

    exportTo(path);

    QCOMPARE(questions.size(), 1);
    QCOMPARE(questions.at(0).parent, dialog.get());
    QCOMPARE(questions.at(0).caption, QStringLiteral("Export RSSI Data"));
    QCOMPARE(questions.at(0).filter, QStringLiteral("CSV Files (*.csv)"));

    const QList<RssiSample> &samples = DialogProbe(*dialog).rssiSamples();
    QByteArray expected = "Sample,RSSI(dBm),Time\n";
    for (int i = 0; i < 3; ++i) {
        expected += QStringLiteral("%1,%2,%3\n")
                        .arg(i)
                        .arg(-60 - i)
                        .arg(samples.at(i).time.toString(QStringLiteral("HH:mm:ss")))
                        .toUtf8();
    }
    QCOMPARE(readAll(path), expected);
    QCOMPARE(boxes->count(), 1);
    QCOMPARE(boxes->boxes().at(0).icon, QMessageBox::Information);
    QCOMPARE(boxes->boxes().at(0).title, exportTitle);
    QCOMPARE(boxes->boxes().at(0).text, QStringLiteral("RSSI data exported successfully"));
}

void tst_Export::keepsNewest500()
{
    record(520);
    const QString path = folder.filePath("long.csv");

    exportTo(path);

    const QList<QByteArray> lines = readAll(path).split('\n');
    QCOMPARE(lines.size(), 502); // header, 500 samples, and the empty rest after the last "\n"
    QCOMPARE(lines.first(), QByteArray("Sample,RSSI(dBm),Time"));
    QVERIFY(lines.last().isEmpty());
    for (int i = 0; i < 500; ++i) {
        const QList<QByteArray> fields = lines.at(i + 1).split(',');
        QCOMPARE(fields.size(), 3);
        QCOMPARE(fields.at(0).toInt(), 20 + i);
        QCOMPARE(fields.at(1).toInt(), -60 - (20 + i) % 40);
    }
}

void tst_Export::cancelledInPlatformDialog()
{
    record(3);
    SaveDialogCanceller user;

    dialog->findChild<QPushButton *>("btnExportResults")->click();

    QCOMPARE(user.asked, 1);
    QCOMPARE(user.caption, QStringLiteral("Export RSSI Data"));
    QCOMPARE(user.filters, QStringList{QStringLiteral("CSV Files (*.csv)")});
    QCOMPARE(user.acceptMode, QFileDialog::AcceptSave);
    QCOMPARE(user.parent, dialog.get());
    QCOMPARE(boxes->count(), 0);
    QVERIFY(QDir(folder.path()).isEmpty());
}

void tst_Export::unwritablePath_data()
{
    QTest::addColumn<QString>("relativePath");

    QTest::newRow("folder missing") << "missing/rssi.csv";
    QTest::newRow("file in the way of the folder") << "blocker/rssi.csv";
}

void tst_Export::unwritablePath()
{
    QFETCH(QString, relativePath);

    QVERIFY(writeFile(folder.filePath("blocker"), "not a folder"));
    record(3);

    exportTo(folder.filePath(relativePath));

    QCOMPARE(boxes->count(), 1);
    QCOMPARE(boxes->boxes().at(0).icon, QMessageBox::Critical);
    QCOMPARE(boxes->boxes().at(0).title, exportTitle);
    QCOMPARE(boxes->boxes().at(0).text, QStringLiteral("Failed to open file for writing"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot), QStringList{"blocker"});
}

void tst_Export::replacesExistingFile()
{
    const QString path = folder.filePath("old.csv");
    QVERIFY(writeFile(path, QByteArray(4096, 'x')));
    record(2);

    exportTo(path);

    const QByteArray written = readAll(path);
    QVERIFY(written.startsWith("Sample,RSSI(dBm),Time\n0,-60,"));
    QCOMPARE(written.count('\n'), 3);
    QVERIFY(!written.contains('x'));
    QCOMPARE(boxes->boxes().at(0).text, QStringLiteral("RSSI data exported successfully"));
}

void tst_Export::failedWriteKeepsOldFile()
{
    const QString path = folder.filePath("kept.csv");
    const QByteArray old = "Sample,RSSI(dBm),Time\n0,-70,09:00:00\n";
    QVERIFY(writeFile(path, old));
    record(520);

    {
        FileSizeLimit limit(1000); // the export needs about 10 kB
        QVERIFY(limit.active);
        exportTo(path);
    }

    QCOMPARE(boxes->count(), 1);
    QCOMPARE(boxes->boxes().at(0).icon, QMessageBox::Critical);
    QCOMPARE(boxes->boxes().at(0).title, exportTitle);
    QCOMPARE(boxes->boxes().at(0).text, QStringLiteral("Failed to write file"));
    QCOMPARE(readAll(path), old);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"kept.csv"});
}

QTEST_MAIN(tst_Export)
#include "tst_export.moc"
