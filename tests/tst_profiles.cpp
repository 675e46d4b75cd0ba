// Profile files on the real dialog: Open… and Save… answered in the real file
// dialogs, a loaded profile written into the simulated module, the comparison
// with the module last read, and --profile at start-up.
#include "app/fendrakexbeeconfiguratordialog.h"
#include "isolatedsettings.h"
#include "logic/profilefile.h"
#include "modaldriver.h"
#include "modulesimulator.h"
#include "simulateduser.h"
#include "snapshots.h"

#include <QFileDialog>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QTest>

namespace {

const QString filter = "Tarnowick profiles (*.tarnowick-profile)";

QByteArray profile(const QByteArray &settings, const QByteArray &version = "1")
{
    return R"({"format": "tarnowick-profile", "version": )" + version + R"(, "settings": )" + settings + "}";
}

QJsonObject readJson(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object() : QJsonObject();
}

QString store(const QTemporaryDir &dir, const QByteArray &bytes)
{
    QFile file(dir.filePath("given.tarnowick-profile"));
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? file.fileName() : QString();
}

// Presses Open… or Save… and answers the file dialog with path; returns its caption and filter.
QStringList choose(QWidget &dialog, const char *button, const QString &path)
{
    QStringList asked;
    ModalDriver<QFileDialog> user([&](QFileDialog *files) {
        asked << files->windowTitle() << files->nameFilters();
        answerFileDialog(files, path);
    });
    dialog.findChild<QPushButton *>(button)->click();
    return asked;
}

QStringList boldFields(const QWidget &dialog)
{
    QStringList bold;
    for (const QString &name : plainForm.keys()) {
        if (dialog.findChild<QWidget *>(name)->font().bold())
            bold << name;
    }
    return bold;
}

} // namespace

class tst_Profiles : public QObject
{
    Q_OBJECT

private slots:
    void brokenFileChangesNothing_data();
    void brokenFileChangesNothing();
    void roundTripAcrossLevels_data();
    void roundTripAcrossLevels();
    void failedSaveIsReported_data();
    void failedSaveIsReported();
    void loadedProfileIsWritten();
    void comparedWithModuleRead_data();
    void comparedWithModuleRead();
    void startupProfile_data();
    void startupProfile();

private:
    IsolatedSettings settings;
    QTemporaryDir dir;
};

void tst_Profiles::brokenFileChangesNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("problem");

    // The bad entry sorts after a good one, so a half-loaded file would show.
    QTest::newRow("not JSON") << QByteArray(R"({"format": "tarnowick-profile", )") << "Not a profile file.";
    QTest::newRow("wrong format") << profile("{}").replace("tarnowick-profile", "tarnowick") << "Not a profile file.";
    QTest::newRow("newer version") << profile(R"({"ID": "3333"})", "2")
                                   << "Profile version 2 is newer than this program.";
    QTest::newRow("unknown command") << profile(R"({"ID": "3333", "XY": "1"})") << "Unknown setting XY.";
    QTest::newRow("read-only command") << profile(R"({"ID": "3333", "SH": "13A200"})") << "Unknown setting SH.";
    QTest::newRow("text pattern") << profile(R"({"ID": "3333", "MT": "6"})") << "Invalid value for MT: 6.";
    QTest::newRow("text with line break")
        << profile(R"({"ID": "3333", "TO": "C0\n"})") << R"(Invalid value for TO: "C0\n".)";
    QTest::newRow("channel 9") << profile(R"({"BD": "5", "CM": "200"})") << "Invalid value for CM: 200.";
    QTest::newRow("combo index") << profile(R"({"AP": "2", "BD": "8"})") << "Invalid value for BD: 8.";
    QTest::newRow("combo index as number") << profile(R"({"AP": "2", "BD": 3})") << "Invalid value for BD: 3.";
    QTest::newRow("settings not an object") << profile(R"(["ID", "3333"])") << "Not a profile file.";
}

void tst_Profiles::brokenFileChangesNothing()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, problem);

    MessageBoxCatcher boxes;
    FendrakeXBeeConfiguratorDialog dialog;
    setForm(dialog, plainForm);
    choose(dialog, "btnOpenProfile", store(dir, bytes));
    QCOMPARE(shown(boxes), QStringList{"Warning | Open profile | " + problem});
    QCOMPARE(formState(dialog), plainForm);
}

void tst_Profiles::roundTripAcrossLevels_data()
{
    QTest::addColumn<int>("saveLevel"); // index of cmbProfile
    QTest::addColumn<int>("openLevel");

    QTest::newRow("Beginner to Guru") << 0 << 1;
    QTest::newRow("Guru to Beginner") << 1 << 0;
}

void tst_Profiles::roundTripAcrossLevels()
{
    QFETCH(int, saveLevel);
    QFETCH(int, openLevel);

    MessageBoxCatcher boxes;
    FendrakeXBeeConfiguratorDialog dialog;
    auto *level = dialog.findChild<QComboBox *>("cmbProfile");
    // clang-format off
    const FormState saved = merged(plainForm, {
        {"txtTransmitOptions", "c0"}, {"txtChannelMask", "3EFFFC00"}, {"txtPANID", "4444"},
        {"txtDestinationAddressHigh", ""}, {"cmbBaudRate", "7"}});
    // clang-format on
    setForm(dialog, saved);
    level->setCurrentIndex(saveLevel);
    for (const char *name : {"btnOpenProfile", "btnSaveProfile"}) {
        const auto *button = dialog.findChild<QPushButton *>(name);
        QVERIFY2(button->isVisibleTo(&dialog) && !button->icon().pixmap(16).isNull(), name);
    }
    const QStringList saveAsked =
        choose(dialog, "btnSaveProfile", dir.filePath(QTest::currentDataTag())); // no extension typed

    const FormState other = merged(plainForm, {{"txtDestinationAddressHigh", "AB"}, {"txtPANID", "7"}});
    setForm(dialog, other);
    level->setCurrentIndex(openLevel);
    const QString path = dir.filePath(QTest::currentDataTag() + QString(".tarnowick-profile"));
    const QStringList openAsked = choose(dialog, "btnOpenProfile", path);

    QCOMPARE(saveAsked + openAsked, QStringList({"Save profile", filter, "Open profile", filter}));
    QCOMPARE(shown(boxes),
             QStringList({"Information | Save profile | Saved 10 setting(s).",
                          "Information | Open profile | Loaded 10 setting(s)."}));
    // DH was empty, so the file has none and the field keeps its text; PAN ID 4444
    // names WindSpeed, whose preset does not run (TO and MAC mode stay).
    QCOMPARE(formState(dialog), merged(saved, {{"txtDestinationAddressHigh", "AB"}, {"cmbConfiguration", "2"}}));
    const QJsonObject root = readJson(path);
    QCOMPARE(root.keys(), QStringList({"format", "settings", "version"})); // no module was read
    QCOMPARE(root["settings"].toObject().value("TO"), "c0");
}

void tst_Profiles::failedSaveIsReported_data()
{
    QTest::addColumn<QString>("channelMask");
    QTest::addColumn<QString>("message");

    QTest::newRow("folder not there") << "3EFFFC00"
                                      << "Critical | Save profile | Failed to write file";
    // A Read shows what the module answers, also an error; no file is asked for.
    QTest::newRow("error reply in a field") << "ERROR"
                                            << "Warning | Save profile | Invalid value for CM: ERROR.";
}

void tst_Profiles::failedSaveIsReported()
{
    QFETCH(QString, channelMask);
    QFETCH(QString, message);

    MessageBoxCatcher boxes;
    FendrakeXBeeConfiguratorDialog dialog;
    setForm(dialog, merged(plainForm, {{"txtChannelMask", channelMask}}));
    const QStringList asked = choose(dialog, "btnSaveProfile", dir.filePath("gone/profile"));
    QCOMPARE(shown(boxes), QStringList{message});
    QCOMPARE(asked.isEmpty(), channelMask == "ERROR");
}

void tst_Profiles::loadedProfileIsWritten()
{
    if (!ModuleSimulator::isBuilt())
        QSKIP("the module simulator is not built");
    const QString state = dir.filePath("modules.json");
    ModuleSimulator simulator({"--guard-ms", "50", "--state", state});
    QVERIFY2(simulator.start(), qPrintable(simulator.errorString()));
    MessageBoxCatcher boxes;
    FendrakeXBeeConfiguratorDialog dialog;
    QVERIFY(openPort(dialog, simulator.portA()));
    QVERIFY(runToIdle(dialog, "btnReadSettings"));
    // clang-format off
    const QByteArray settings = R"({"TO": "80", "CM": "ffc00", "ID": "2222", "MT": "2", "DL": "1234", "DH": "0",
        "BD": "3", "NB": "1", "SB": "1", "RO": "1F", "AP": "1"})";
    // clang-format on
    const QString path = store(dir, profile(settings));
    choose(dialog, "btnOpenProfile", path);
    QVERIFY(runToIdle(dialog, "btnWriteSettings"));
    QTRY_COMPARE(shown(boxes).size(), 2);
    QCOMPARE(boldFields(dialog), QStringList()); // cleared by the Write
    // What the module took counts as what it holds.
    choose(dialog, "btnOpenProfile", path);
    const QString loaded = "Information | Open profile | Loaded 11 setting(s).\n";
    QCOMPARE(shown(boxes),
             QStringList({loaded + "Different from the module: TO, CM, ID, MT, DL, NB, SB, RO, AP.",
                          "Information | Write settings | All settings have been written to the device.",
                          loaded + "Same as the module."}));

    const QJsonObject stored = readJson(state)["A"].toObject();
    const QJsonObject expected = QJsonDocument::fromJson(settings.toUpper()).object();
    for (auto it = expected.begin(); it != expected.end(); ++it)
        QCOMPARE(stored[it.key()], it.value());
}

void tst_Profiles::comparedWithModuleRead_data()
{
    QTest::addColumn<bool>("portChanged"); // after the Read
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("bold");

    const QByteArray twoDiffer = R"({"TO": "c0", "CM": "3EFFFC00", "ID": "3333"})";
    QTest::newRow("two differ") << false << twoDiffer << "Loaded 3 setting(s).\nDifferent from the module: CM, ID."
                                << QStringList{"txtChannelMask", "txtPANID"};
    QTest::newRow("same") << false << QByteArray(R"({"DH": "00", "BD": "3"})")
                          << "Loaded 2 setting(s).\nSame as the module." << QStringList();
    QTest::newRow("port changed") << true << twoDiffer << "Loaded 3 setting(s)." << QStringList();
}

void tst_Profiles::comparedWithModuleRead()
{
    QFETCH(bool, portChanged);
    QFETCH(QByteArray, settings);
    QFETCH(QString, message);
    QFETCH(QStringList, bold);

    if (!ModuleSimulator::isBuilt())
        QSKIP("the module simulator is not built");
    ModuleSimulator simulator({"--guard-ms", "50"});
    QVERIFY2(simulator.start(), qPrintable(simulator.errorString()));
    MessageBoxCatcher boxes;
    FendrakeXBeeConfiguratorDialog dialog;
    QVERIFY(openPort(dialog, simulator.portA()));
    QVERIFY(runToIdle(dialog, "btnReadSettings"));
    if (portChanged) {
        auto *ports = dialog.findChild<QComboBox *>("cmbSerial");
        ports->setCurrentIndex(0); // "None", then the other module
        QTRY_COMPARE(ports->property("code"), QVariant(2));
        QVERIFY(openPort(dialog, simulator.portB()));
    }

    choose(dialog, "btnSaveProfile", dir.filePath(QTest::currentDataTag()));
    const QJsonObject module =
        readJson(dir.filePath(QTest::currentDataTag() + QString(".tarnowick-profile")))["module"].toObject();
    const QJsonObject identity{{"SH", "13A200"}, {"SL", "40F1A001"}, {"VR", "8059"}};
    QCOMPARE(module, portChanged ? QJsonObject() : identity);

    boxes.clear();
    choose(dialog, "btnOpenProfile", store(dir, profile(settings)));
    QCOMPARE(shown(boxes), QStringList{"Information | Open profile | " + message});
    QCOMPARE(boldFields(dialog), bold);
    QVERIFY(runToIdle(dialog, "btnReadSettings"));
    QCOMPARE(boldFields(dialog), QStringList());
}

void tst_Profiles::startupProfile_data()
{
    QTest::addColumn<QByteArray>("bytes"); // empty: no file at all
    QTest::addColumn<QString>("problem");

    QTest::newRow("valid") << profile(R"({"ID": "3333", "BD": "6"})") << QString();
    QTest::newRow("invalid value") << profile(R"({"MT": "9"})") << "Invalid value for MT: 9.";
    QTest::newRow("no such file") << QByteArray() << "Failed to read file.";
}

void tst_Profiles::startupProfile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, problem);

    const QString path = bytes.isEmpty() ? dir.filePath("missing") : store(dir, bytes);
    if (problem.isEmpty()) {
        // As main() does with a good file: the form is filled, and no box holds up the start.
        MessageBoxCatcher boxes;
        FendrakeXBeeConfiguratorDialog dialog;
        setForm(dialog, plainForm);
        dialog.applyProfile(ProfileFile::read(path).settings);
        QCOMPARE(formState(dialog),
                 merged(plainForm, {{"txtPANID", "3333"}, {"cmbConfiguration", "1"}, {"cmbBaudRate", "6"}}));
        QCOMPARE(boxes.count(), 0);
        return;
    }
    const QString program = QCoreApplication::applicationDirPath() + "/../tarnowick";
    QVERIFY2(QFile::exists(program), "build the tarnowick target first");
    QProcess tarnowick;
    tarnowick.start(program, {"--profile", path});
    QVERIFY(tarnowick.waitForFinished(10000));
    QCOMPARE(tarnowick.exitCode(), 2);
    const QList<QByteArray> lines = tarnowick.readAllStandardError().trimmed().split('\n');
    QCOMPARE(QString(lines.constLast()), QString("tarnowick: %1: %2").arg(path, problem));
}

QTEST_MAIN(tst_Profiles)
#include "tst_profiles.moc"
