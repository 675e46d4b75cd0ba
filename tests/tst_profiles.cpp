// Profile files on the real dialog: Open… and Save… answered in the real file
// dialogs, --profile at start-up, and a loaded profile compared with and
// written into the simulated module.
#include "app/statuslabel.h"
#include "isolatedsettings.h"
#include "modaldriver.h"
#include "modulesimulator.h"
#include "namedpipe.h"
#include "simulateduser.h"
#include "snapshots.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>

namespace {

QString store(const QTemporaryDir &dir, const QByteArray &bytes)
{
    QFile file(dir.filePath("given.tarnowick-profile"));
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? file.fileName() : QString();
}

QJsonObject readJson(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object() : QJsonObject();
}

// Presses Open… or Save… and answers the file dialog with path; returns the file types it offered.
// The folder and the name it proposed go to started.
QStringList choose(QWidget &dialog, const char *button, const QString &path, QString *started = nullptr)
{
    QStringList filters;
    ModalDriver<QFileDialog> user([&](QFileDialog *files) {
        filters = files->nameFilters();
        if (started)
            *started = files->directory().absolutePath() + '/'
                + files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->text();
        answerFileDialog(files, path);
    });
    dialog.findChild<QPushButton *>(button)->click();
    return filters;
}

} // namespace

class tst_Profiles : public QObject
{
    Q_OBJECT

private slots:
    void brokenFileIsRefused_data();
    void brokenFileIsRefused();
    void saveIsRefused();
    void roundTripAcrossLevels_data();
    void roundTripAcrossLevels();
    void comparedWithModuleAndWritten();

private:
    IsolatedSettings settings;
    QTemporaryDir dir;
};

void tst_Profiles::brokenFileIsRefused_data()
{
    QTest::addColumn<QByteArray>("bytes"); // empty: no file at all; "|": a named pipe nobody writes to
    QTest::addColumn<QString>("problem");

    // The bad entry sorts after a good one, so a half-loaded file would show.
    // clang-format off
    QTest::newRow("not JSON") << QByteArray(R"({"format": "tarnowick-profile", )") << "Not a profile file.";
    QTest::newRow("wrong format") << QByteArray(R"({"format": "tarnowick", "version": 1, "settings": {}})") << "Not a profile file.";
    QTest::newRow("newer version") << QByteArray(R"({"format": "tarnowick-profile", "version": 2, "settings": {"ID": "3333"}})") << "Profile version 2 is newer than this program.";
    QTest::newRow("settings not an object") << QByteArray(R"({"format": "tarnowick-profile", "version": 1, "settings": ["ID", "3333"]})") << "Not a profile file.";
    QTest::newRow("unknown command") << QByteArray(R"({"format": "tarnowick-profile", "version": 1, "settings": {"ID": "3333", "XY": "1"}})") << "Unknown setting XY.";
    QTest::newRow("read-only command") << QByteArray(R"({"format": "tarnowick-profile", "version": 1, "settings": {"ID": "3333", "SH": "13A200"}})") << "Unknown setting SH.";
    QTest::newRow("text pattern") << QByteArray(R"({"format": "tarnowick-profile", "version": 1, "settings": {"ID": "3333", "MT": "6"}})") << "Invalid value for MT: 6.";
    QTest::newRow("text with line break") << QByteArray(R"({"format": "tarnowick-profile", "version": 1, "settings": {"ID": "3333", "TO": "C0\n"}})") << R"(Invalid value for TO: "C0\n".)";
    QTest::newRow("long text cut short") << R"({"format": "tarnowick-profile", "version": 1, "settings": {"ID": ")" + QByteArray(50, '3') + R"("}})" << "Invalid value for ID: " + QString(40, '3') + QChar(0x2026) + ".";
    QTest::newRow("channel 9") << QByteArray(R"({"format": "tarnowick-profile", "version": 1, "settings": {"BD": "5", "CM": "200"}})") << "Invalid value for CM: 200.";
    QTest::newRow("combo index") << QByteArray(R"({"format": "tarnowick-profile", "version": 1, "settings": {"AP": "2", "BD": "8"}})") << "Invalid value for BD: 8.";
    QTest::newRow("no such file") << QByteArray() << "Failed to read file.";
    QTest::newRow("named pipe") << QByteArray("|") << "Failed to read file.";
    // clang-format on
}

// Open… leaves the form as it was; --profile ends the program before a window opens.
void tst_Profiles::brokenFileIsRefused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, problem);

    QString path = dir.filePath(bytes.isEmpty() ? "missing" : "pipe");
    if (bytes == "|")
        QVERIFY(makeNamedPipe(path));
    else if (!bytes.isEmpty())
        path = store(dir, bytes);
    if (!bytes.isEmpty()) { // Open… offers existing files only
        MessageBoxCatcher boxes;
        FendrakeXBeeConfiguratorDialog dialog;
        setForm(dialog, plainForm);
        const PipeWatchdog watchdog(path);
        choose(dialog, "btnOpenProfile", path);
        QVERIFY2(!watchdog.fired, "waited for a writer");
        QCOMPARE(shown(boxes), QStringList{"Warning | Open profile | " + problem});
        QCOMPARE(formState(dialog), plainForm);
    }
    QProcess tarnowick;
    tarnowick.start(QCoreApplication::applicationDirPath() + "/../tarnowick", {"--profile", path});
    QVERIFY2(tarnowick.waitForFinished(10000), qPrintable(tarnowick.errorString()));
    QCOMPARE(tarnowick.exitCode(), 2);
    // The last line, after anything Qt itself may print.
    QCOMPARE(QString(tarnowick.readAllStandardError().trimmed().split('\n').constLast()),
             "tarnowick: " + path + ": " + problem);
}

// Nothing waits, and only a file that holds every setting counts as saved.
void tst_Profiles::saveIsRefused()
{
    MessageBoxCatcher boxes;
    boxes.press("&Yes"); // replace what is there
    FendrakeXBeeConfiguratorDialog dialog;
    const QString pipe = dir.filePath("unread.tarnowick-profile"); // nobody reads it
    const QString device = dir.filePath("full.tarnowick-profile"); // takes nothing
    QVERIFY(makeNamedPipe(pipe) && QFile::link("/dev/full", device));
    const PipeWatchdog watchdog(pipe);
    QString started;
    choose(dialog, "btnSaveProfile", dir.filePath("gone/profile"), &started);
    QCOMPARE(QFileInfo(started).fileName(), "profile.tarnowick-profile"); // no Read, so no serial number
    for (const QString &path : {pipe, device})
        choose(dialog, "btnSaveProfile", path);
    QVERIFY2(!watchdog.fired, "waited for a reader");
    // A Read shows the module's replies, also an error, which no file could load again: no file is asked for.
    setForm(dialog, merged(plainForm, {{"txtChannelMask", "ERROR"}}));
    QCOMPARE(choose(dialog, "btnSaveProfile", QString()), QStringList());
    const QString failed = "Critical | Save profile | Failed to write file";
    const QString replace = "Warning | Save profile | %1.tarnowick-profile already exists.\nDo you want to replace it?";
    QCOMPARE(shown(boxes),
             QStringList({failed, replace.arg("unread"), failed, replace.arg("full"), failed,
                          "Warning | Save profile | Invalid value for CM: ERROR."}));
}

void tst_Profiles::roundTripAcrossLevels_data()
{
    QTest::addColumn<int>("saveLevel"); // index of cmbProfile; the file is opened at the other one

    QTest::newRow("Beginner to Guru") << 0;
    QTest::newRow("Guru to Beginner") << 1;
}

void tst_Profiles::roundTripAcrossLevels()
{
    QFETCH(int, saveLevel);

    MessageBoxCatcher boxes;
    FendrakeXBeeConfiguratorDialog dialog;
    // clang-format off
    const FormState saved = merged(plainForm, {{"txtTransmitOptions", "c0"}, {"txtChannelMask", "3EFFFC00"},
        {"txtPANID", "4444"}, {"txtDestinationAddressHigh", ""}, {"cmbBaudRate", "7"}});
    // clang-format on
    setForm(dialog, saved);
    dialog.findChild<QComboBox *>("cmbProfile")->setCurrentIndex(saveLevel);
    choose(dialog, "btnSaveProfile", dir.filePath(QTest::currentDataTag())); // no extension typed

    setForm(dialog, merged(plainForm, {{"txtDestinationAddressHigh", "AB"}, {"txtPANID", "7"}}));
    dialog.findChild<QComboBox *>("cmbProfile")->setCurrentIndex(1 - saveLevel);
    const QString path = dir.filePath(QTest::currentDataTag() + QString(".tarnowick-profile"));
    QCOMPARE(choose(dialog, "btnOpenProfile", path), QStringList{"Tarnowick profiles (*.tarnowick-profile)"});
    QCOMPARE(shown(boxes),
             QStringList({"Information | Save profile | Saved 10 settings.",
                          "Information | Open profile | Loaded 10 settings."}));
    // DH was empty, so the file has none and the field keeps its text; PAN ID 4444
    // names WindSpeed, whose preset does not run (TO and MAC mode stay).
    QCOMPARE(formState(dialog), merged(saved, {{"txtDestinationAddressHigh", "AB"}, {"cmbConfiguration", "2"}}));
}

void tst_Profiles::comparedWithModuleAndWritten()
{
    if (!ModuleSimulator::isBuilt())
        QSKIP("the module simulator is not built");
    // Strict about stop bits: the read-back after writing SB 1 works only if the port followed it.
    ModuleSimulator simulator({"--guard-ms", "50", "--strict-framing", "--state", dir.filePath("modules.json")});
    QVERIFY2(simulator.start(), qPrintable(simulator.errorString()));
    MessageBoxCatcher boxes;
    FendrakeXBeeConfiguratorDialog dialog;
    const auto bold = [&](const char *field) { return dialog.findChild<QWidget *>(field)->font().bold(); };
    const auto status = [&] { return dialog.findChild<StatusLabel *>("lblStatus")->fullText(); };
    QString started;
    QVERIFY(openPort(dialog, simulator.portA()));
    QVERIFY(runToIdle(dialog, "btnReadSettings"));
    choose(dialog, "btnSaveProfile", dir.filePath("read"), &started); // after a Read the file names the module
    QCOMPARE(QFileInfo(started).fileName(), "Custom-13A20040F1A001.tarnowick-profile");
    QCOMPARE(status(), "Saved profile read.tarnowick-profile.");
    QCOMPARE(readJson(dir.filePath("read.tarnowick-profile"))["module"].toObject(),
             QJsonObject({{"SH", "13A200"}, {"SL", "40F1A001"}, {"VR", "8059"}}));

    // The module holds TO C0; "module" is only a record, and a mask is shown as the calculator leaves it.
    const QString path = store(dir, R"({"format": "tarnowick-profile", "version": 1, "settings": {"TO": "c0",
        "CM": " 0xffc00 ", "ID": "2222", "MT": "2", "DL": "1234", "DH": "0", "BD": "3", "NB": "0", "SB": "1",
        "RO": "1F", "AP": "1"}, "module": {"SH": "1"}})");
    choose(dialog, "btnOpenProfile", path, &started);
    QCOMPARE(started, dir.path() + '/'); // where the last profile went
    QCOMPARE(formState(dialog)["txtChannelMask"], "ffc00");
    QCOMPARE(status(), "Loaded profile given.tarnowick-profile: 11 settings, 7 differ from the module.");
    // Bold are the fields the module does not hold.
    QVERIFY(bold("txtPANID") && bold("cmbAPIMode") && !bold("txtTransmitOptions") && !bold("cmbBaudRate"));
    QVERIFY(runToIdle(dialog, "btnReadSettings"));
    QVERIFY(!bold("txtPANID"));
    QCOMPARE(status(), "Read replaced 7 unwritten values: CM, ID, MT, DL, SB, RO, AP.");
    choose(dialog, "btnOpenProfile", path);
    QVERIFY(runToIdle(dialog, "btnWriteSettings")); // its message is answered before the run ends
    QVERIFY(!bold("txtPANID"));
    // What the module took counts as what it holds; another port is most likely another module.
    choose(dialog, "btnOpenProfile", path);
    QVERIFY(openPort(dialog, simulator.portB()));
    choose(dialog, "btnOpenProfile", path);
    QVERIFY(!bold("txtPANID")); // no Read on this port, so nothing to compare with
    QCOMPARE(status(), "Loaded profile given.tarnowick-profile: 11 settings.");
    const QString loaded = "Information | Open profile | Loaded 11 settings.";
    const QString differing = loaded + "\nDifferent from the module: CM, ID, MT, DL, SB, RO, AP.";
    QCOMPARE(
        shown(boxes),
        QStringList({"Information | Save profile | Saved 11 settings.", differing, differing,
                     "Information | Write settings | All settings have been written to the device.\nThe port now uses "
                     "8N2, the module's new framing.\nRead back: all 11 settings match.",
                     loaded + "\nSame as the module.", loaded}));
    // The framing the port followed is kept with the rate, and shown.
    QCOMPARE(QSettings(settings.filePath(), QSettings::IniFormat).value("General/stopbits").toInt(), 1);
    QCOMPARE(dialog.findChild<QComboBox *>("cmbSerialBaudRate")->toolTip(), "The port runs at 9600 8N2.");
    const QJsonObject stored = readJson(dir.filePath("modules.json"))["A"].toObject();
    const QJsonObject written{{"TO", "C0"}, {"CM", "FFC00"}, {"ID", "2222"}, {"MT", "2"},  {"DL", "1234"}, {"DH", "0"},
                              {"BD", "3"},  {"NB", "0"},     {"SB", "1"},    {"RO", "1F"}, {"AP", "1"}};
    for (auto it = written.begin(); it != written.end(); ++it)
        QCOMPARE(stored[it.key()], it.value());
}

QTEST_MAIN(tst_Profiles)
#include "tst_profiles.moc"
