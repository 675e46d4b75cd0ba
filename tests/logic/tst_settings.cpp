#include "isolatedsettings.h"
#include "settings/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryFile>
#include <QTest>

class tst_Settings : public QObject
{
    Q_OBJECT

private slots:
    void defaultsWithoutFile_data();
    void defaultsWithoutFile();
    void writeLandsInGeneralAtOnce();
    void brokenFileGivesDefaults_data();
    void brokenFileGivesDefaults();
    void unwritableLocationKeepsChoice();
};

void tst_Settings::defaultsWithoutFile_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("fallback");

    // clang-format off
    QTest::newRow("baud rate") << "baudrate" << QVariant(9600);
    QTest::newRow("port") << "serialport" << QVariant(QString());
    // clang-format on
}

void tst_Settings::defaultsWithoutFile()
{
    QFETCH(QString, key);
    QFETCH(QVariant, fallback);

    IsolatedSettings isolated;
    QCOMPARE(Settings::instance()->value("general", key, fallback), fallback);
    QVERIFY2(!QFile::exists(isolated.filePath()), "reading must not create the settings file");
}

void tst_Settings::writeLandsInGeneralAtOnce()
{
    IsolatedSettings isolated;
    Settings::instance()->setValue("general", "serialport", "None");
    Settings::instance()->setValue("general", "baudrate", 115200);

    // Read back with an independent reader, as the next start of the program would.
    QSettings file(isolated.filePath(), QSettings::IniFormat);
    QCOMPARE(file.childGroups(), QStringList{"general"});
    QCOMPARE(file.value("general/serialport").toString(), QString("None"));
    QCOMPARE(file.value("general/baudrate").toInt(), 115200);
    QCOMPARE(Settings::instance()->value("general", "baudrate", 9600).toInt(), 115200);
}

void tst_Settings::brokenFileGivesDefaults_data()
{
    QTest::addColumn<QByteArray>("content"); // empty: the file's place is taken by a directory

    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary.append(char((i * 7919 + 13) % 256));
    // clang-format off
    QTest::newRow("directory") << QByteArray();
    QTest::newRow("binary garbage") << binary;
    QTest::newRow("text garbage") << QByteArray("[[[general\n=\n\\\\\n;;;serial port = \"\n[]=[]\n");
    QTest::newRow("other section") << QByteArray("[other]\nserialport=COM3\nbaudrate=115200\n");
    // clang-format on
}

void tst_Settings::brokenFileGivesDefaults()
{
    QFETCH(QByteArray, content);

    IsolatedSettings isolated;
    QVERIFY(QDir().mkpath(QFileInfo(isolated.filePath()).path()));
    if (content.isEmpty()) {
        QVERIFY(QDir().mkdir(isolated.filePath()));
    } else {
        QFile file(isolated.filePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    QTest::failOnWarning(QRegularExpression(".*"));
    QCOMPARE(Settings::instance()->value("general", "baudrate", 9600), QVariant(9600));
    QCOMPARE(Settings::instance()->value("general", "serialport", QString()), QVariant(QString()));
}

void tst_Settings::unwritableLocationKeepsChoice()
{
    // A regular file where the settings folder should be: nothing can be created below it.
    QTemporaryFile blocker;
    QVERIFY(blocker.open());
    IsolatedSettings isolated;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, blocker.fileName());

    QTest::failOnWarning(QRegularExpression(".*"));
    Settings::instance()->setValue("general", "baudrate", 57600);
    QCOMPARE(Settings::instance()->value("general", "baudrate", 9600), QVariant(57600));
    Settings::instance()->setValue("general", "baudrate", 38400);
    QCOMPARE(Settings::instance()->value("general", "baudrate", 9600), QVariant(38400));

    // Once the location works again, what is written there counts.
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QFileInfo(isolated.filePath()).path() + "/..");
    Settings::instance()->setValue("general", "baudrate", 19200);
    QCOMPARE(Settings::instance()->value("general", "baudrate", 9600), QVariant(19200));
    QVERIFY(QFile::exists(isolated.filePath()));
}

QTEST_GUILESS_MAIN(tst_Settings)
#include "tst_settings.moc"
