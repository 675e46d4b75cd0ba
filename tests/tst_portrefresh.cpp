#include "app/fendrakexbeeconfiguratordialog.h"
#include "dialogprobe.h"
#include "isolatedsettings.h"
#include "ptypair.h"
#include "serial/availableports.h"

#include <QComboBox>
#include <QSignalSpy>
#include <QTest>

// Port lists are written with letters: A and B are two pseudo-terminals,
// "-" stands for "None".
class tst_PortRefresh : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void refreshesOnOpening_data();
    void refreshesOnOpening();
    void keyboardOpensARefreshedList();

private:
    QString path(const QString &letter) const;
    QStringList paths(const QString &letters) const;
    static QStringList items(const QComboBox *combo);

    std::unique_ptr<PtyPair> a, b;
    std::unique_ptr<IsolatedSettings> settings;
    QStringList systemPorts;
};

void tst_PortRefresh::init()
{
    a = std::make_unique<PtyPair>();
    b = std::make_unique<PtyPair>();
    settings = std::make_unique<IsolatedSettings>();
    setPortNameSource([this] { return systemPorts; });
}

void tst_PortRefresh::cleanup()
{
    setPortNameSource({});
    settings.reset();
    a.reset();
    b.reset();
}

QString tst_PortRefresh::path(const QString &letter) const
{
    return letter == "A" ? a->slavePath() : letter == "B" ? b->slavePath() : QStringLiteral("None");
}

QStringList tst_PortRefresh::paths(const QString &letters) const
{
    QStringList result;
    for (QChar letter : letters)
        result.append(path(letter));
    return result;
}

QStringList tst_PortRefresh::items(const QComboBox *combo)
{
    QStringList result;
    for (int i = 0; i < combo->count(); ++i)
        result.append(combo->itemText(i));
    return result;
}

void tst_PortRefresh::refreshesOnOpening_data()
{
    QTest::addColumn<QString>("before"); // listed at start
    QTest::addColumn<QString>("extra");  // given with --port
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("after");    // listed when the user opens the list
    QTest::addColumn<QString>("expected"); // the list the user sees
    QTest::addColumn<int>("code");

    QTest::newRow("new port appears") << "A"
                                      << ""
                                      << "A"
                                      << "AB"
                                      << "-AB" << 0;
    QTest::newRow("unselected port vanishes") << "AB"
                                              << ""
                                              << "A"
                                              << "A"
                                              << "-A" << 0;
    QTest::newRow("selected port vanishes") << "AB"
                                            << ""
                                            << "A"
                                            << "B"
                                            << "-AB" << 1;
    QTest::newRow("everything gone, None selected") << "AB"
                                                    << ""
                                                    << "-"
                                                    << ""
                                                    << "-" << 2;
    QTest::newRow("--port entry stays") << "A"
                                        << "B"
                                        << "B"
                                        << ""
                                        << "-B" << 0;
    QTest::newRow("--port entry later listed") << ""
                                               << "B"
                                               << "B"
                                               << "AB"
                                               << "-BA" << 0;
}

void tst_PortRefresh::refreshesOnOpening()
{
    QFETCH(QString, before);
    QFETCH(QString, extra);
    QFETCH(QString, selected);
    QFETCH(QString, after);
    QFETCH(QString, expected);
    QFETCH(int, code);

    systemPorts = paths(before);
    FendrakeXBeeConfiguratorDialog dialog;
    if (!extra.isEmpty())
        dialog.addExtraPort(path(extra));
    dialog.show();
    auto *combo = dialog.findChild<QComboBox *>("cmbSerial");
    combo->setCurrentIndex(combo->findText(path(selected)));
    QTRY_COMPARE(combo->property("code"), QVariant(selected == "-" ? 2 : 0));

    systemPorts = paths(after);
    QSignalSpy portChanges(&dialog, &FendrakeXBeeConfiguratorDialog::change_port);
    QTest::mouseClick(combo, Qt::LeftButton);
    combo->hidePopup();

    QCOMPARE(items(combo), paths(expected));
    QCOMPARE(combo->currentText(), path(selected));
    QCOMPARE(combo->property("code"), QVariant(code));
    QCOMPARE(DialogProbe(dialog).serialPortOpen(), code == 0);
    QVERIFY2(portChanges.isEmpty(), "refreshing the list never reopens or closes the port");
}

void tst_PortRefresh::keyboardOpensARefreshedList()
{
    systemPorts = paths("A");
    FendrakeXBeeConfiguratorDialog dialog;
    dialog.show();
    auto *combo = dialog.findChild<QComboBox *>("cmbSerial");

    systemPorts = paths("AB");
    QTest::keyClick(combo, Qt::Key_F4);
    combo->hidePopup();
    QCOMPARE(items(combo), paths("-AB"));
}

QTEST_MAIN(tst_PortRefresh)
#include "tst_portrefresh.moc"
