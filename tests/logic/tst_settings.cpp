#include "isolatedsettings.h"
#include "settings/settings.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryFile>
#include <QTest>

class tst_Settings : public QObject
{
    Q_OBJECT

private slots:
    void defaults_data();
    void defaults();
    void choiceKept();
};

void tst_Settings::defaults_data()
{
    QTest::addColumn<QByteArray>("content"); // of the settings file; "/": a directory in its place

    // clang-format off
    QTest::newRow("no file") << QByteArray();
    QTest::newRow("directory") << QByteArray("/");
    QTest::newRow("garbage") << QByteArray("[[[general\n=\n\\\\\n;;;serial port = \"\n[]=[]\n\xff\xfe");
    // clang-format on
}

void tst_Settings::defaults()
{
    QFETCH(QByteArray, content);

    IsolatedSettings isolated;
    QFile file(isolated.filePath());
    QVERIFY(QDir().mkpath(content == "/" ? file.fileName() : QFileInfo(file).path()));
    if (content != "/" && !content.isEmpty())
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    file.close();

    QTest::failOnWarning(QRegularExpression(".*"));
    QCOMPARE(Settings::instance()->value(Settings::generalGroup(), "baudrate", 9600), QVariant(9600));
    QVERIFY2(file.exists() == !content.isEmpty(), "reading must not create the settings file");
}

// A choice holds until the program ends also where it cannot be written, and
// lands in the file as soon as it can.
void tst_Settings::choiceKept()
{
    // A regular file where the settings folder should be: nothing can be created below it.
    QTemporaryFile blocker;
    QVERIFY(blocker.open());
    IsolatedSettings isolated;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, blocker.fileName());

    QTest::failOnWarning(QRegularExpression(".*"));
    for (int rate : {57600, 38400}) {
        Settings::instance()->setValue(Settings::generalGroup(), "baudrate", rate);
        QCOMPARE(Settings::instance()->value(Settings::generalGroup(), "baudrate", 9600), QVariant(rate));
    }

    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QFileInfo(isolated.filePath()).path() + "/..");
    Settings::instance()->setValue(Settings::generalGroup(), "baudrate", 19200);
    QCOMPARE(Settings::instance()->value(Settings::generalGroup(), "baudrate", 9600), QVariant(19200));
    // Read back with an independent reader, as the next start of the program would.
    QSettings file(isolated.filePath(), QSettings::IniFormat);
    QCOMPARE(file.childGroups(), QStringList{"General"});
    QCOMPARE(file.value("General/baudrate").toInt(), 19200);
}

QTEST_GUILESS_MAIN(tst_Settings)
#include "tst_settings.moc"
