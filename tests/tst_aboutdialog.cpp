#include "app/fendrakexbeeconfiguratordialog.h"
#include "dialogs/aboutdialog.h"
#include "support/isolatedsettings.h"
#include "support/messageboxcatcher.h"
#include "support/modaldriver.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// Records the mouse presses that reach the object it is installed on.
class PressRecorder : public QObject
{
public:
    QList<QEvent::Type> seen;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (dynamic_cast<QMouseEvent *>(event))
            seen.append(event->type());
        return false;
    }
};

QLabel *versionLabel(QWidget *about)
{
    return about->findChild<QLabel *>(QStringLiteral("lblVersion"));
}

void sendMouse(QWidget *target, QEvent::Type type)
{
    const QPointF pos = target->rect().center();
    QMouseEvent event(type, pos, target->mapToGlobal(pos), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

// How many more presses on the label complete the gesture (0 if none does).
int pressesToElevate(AboutDialog *about)
{
    QSignalSpy elevated(about, &AboutDialog::elevateRights);
    for (int presses = 1; presses <= 10; ++presses) {
        sendMouse(versionLabel(about), QEvent::MouseButtonPress);
        if (elevated.count() > 0)
            return presses;
    }
    return 0;
}

void clickLabel(QWidget *about, int clicks)
{
    for (int i = 0; i < clicks; ++i)
        QTest::mouseClick(versionLabel(about), Qt::LeftButton);
}

// Opens the About box of main, lets action play the user, and returns
// whether the box appeared.
bool withAboutBox(FendrakeXBeeConfiguratorDialog &main, std::function<void(AboutDialog *)> action)
{
    ModalDriver<AboutDialog> driver([&](AboutDialog *about) {
        action(about);
        if (about->isVisible())
            QTest::mouseClick(about->findChild<QPushButton *>(QStringLiteral("btnOK")), Qt::LeftButton);
    });
    QTest::mouseClick(main.findChild<QPushButton *>(QStringLiteral("btnAbout")), Qt::LeftButton);
    return driver.found;
}

} // namespace

class tst_AboutDialog : public QObject
{
    Q_OBJECT

private slots:
    void form();
    void labelPressesSwallowed();
    void counted_data();
    void counted();
    void elevatesOnceAtZero();
    void slowClicksNeverAddUp();
    void fiveQuickClicksMakeGuru();
    void reopeningRestartsCount();
    void aboutQt();

private:
    IsolatedSettings settings;
};

void tst_AboutDialog::form()
{
    AboutDialog about;
    QCOMPARE(about.objectName(), QStringLiteral("AboutDialog"));
    QCOMPARE(about.windowTitle(), QStringLiteral("About"));
    QCOMPARE(versionLabel(&about)->text(), QStringLiteral("Version:"));

    auto *version = about.findChild<QLineEdit *>(QStringLiteral("txtVersion"));
    QVERIFY(!version->isEnabled());
    const QRegularExpression pattern(QStringLiteral("^1\\.0\\.1 \\([^()\\s]+\\)$"));
    QVERIFY2(pattern.match(version->text()).hasMatch(), qPrintable(version->text()));

    auto *ok = about.findChild<QPushButton *>(QStringLiteral("btnOK"));
    QCOMPARE(ok->text(), QStringLiteral("Ok"));
    QVERIFY(!ok->icon().isNull());
}

void tst_AboutDialog::labelPressesSwallowed()
{
    AboutDialog about;
    PressRecorder recorder;
    about.installEventFilter(&recorder);

    // The label does not want mouse events, so whatever it is given goes on
    // to the dialog; a swallowed press never gets there.
    sendMouse(versionLabel(&about), QEvent::MouseButtonPress);
    sendMouse(versionLabel(&about), QEvent::MouseButtonDblClick);
    QVERIFY(recorder.seen.isEmpty());

    sendMouse(versionLabel(&about), QEvent::MouseButtonRelease);
    QCOMPARE(recorder.seen, QList<QEvent::Type>{QEvent::MouseButtonRelease});
}

void tst_AboutDialog::counted_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QEvent::Type>("type");
    QTest::addColumn<int>("remaining");

    QTest::newRow("press on label") << "lblVersion" << QEvent::MouseButtonPress << 4;
    QTest::newRow("double click on label") << "lblVersion" << QEvent::MouseButtonDblClick << 4;
    QTest::newRow("release on label") << "lblVersion" << QEvent::MouseButtonRelease << 5;
    QTest::newRow("press on version field") << "txtVersion" << QEvent::MouseButtonPress << 5;
    QTest::newRow("press on Ok") << "btnOK" << QEvent::MouseButtonPress << 5;
    QTest::newRow("press on dialog") << "" << QEvent::MouseButtonPress << 5;
}

void tst_AboutDialog::counted()
{
    QFETCH(QString, target);
    QFETCH(QEvent::Type, type);
    QFETCH(int, remaining);

    AboutDialog about;
    QWidget *widget = target.isEmpty() ? &about : about.findChild<QWidget *>(target);
    QVERIFY(widget);

    sendMouse(widget, type);
    QCOMPARE(pressesToElevate(&about), remaining);
}

void tst_AboutDialog::elevatesOnceAtZero()
{
    AboutDialog about;
    QSignalSpy elevated(&about, &AboutDialog::elevateRights);

    for (int i = 0; i < 9; ++i)
        sendMouse(versionLabel(&about), QEvent::MouseButtonPress);

    QCOMPARE(elevated.count(), 1);
    QCOMPARE(elevated.first().first().value<UserLevel>(), Guru);
}

void tst_AboutDialog::slowClicksNeverAddUp()
{
    AboutDialog about;
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QSignalSpy elevated(&about, &AboutDialog::elevateRights);

    // Each pause is longer than the gesture allows between two clicks.
    for (int i = 0; i < 6; ++i) {
        clickLabel(&about, 1);
        QTest::qWait(800);
    }
    QCOMPARE(elevated.count(), 0);

    clickLabel(&about, 1);
    QCOMPARE(pressesToElevate(&about), 4);
}

void tst_AboutDialog::fiveQuickClicksMakeGuru()
{
    FendrakeXBeeConfiguratorDialog main;
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    auto *profile = main.findChild<QComboBox *>(QStringLiteral("cmbProfile"));
    QSignalSpy profileChanged(profile, &QComboBox::currentIndexChanged);

    bool stillOpen = false;
    QString profileWhileOpen;
    QVERIFY(withAboutBox(main, [&](AboutDialog *about) {
        clickLabel(about, 5);
        stillOpen = about->isVisible();
        profileWhileOpen = profile->currentText();
    }));

    QVERIFY(stillOpen);
    QCOMPARE(profileWhileOpen, QStringLiteral("Guru"));
    QCOMPARE(profile->currentIndex(), 1);
    QCOMPARE(profileChanged.count(), 0); // the level was applied once, not again by the selector
    QVERIFY(!main.findChild<QWidget *>(QStringLiteral("groupBoxUART"))->isHidden());
    QVERIFY(!main.findChild<QLineEdit *>(QStringLiteral("txtPANID"))->isReadOnly());
}

void tst_AboutDialog::reopeningRestartsCount()
{
    FendrakeXBeeConfiguratorDialog main;
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    auto *profile = main.findChild<QComboBox *>(QStringLiteral("cmbProfile"));

    // Four clicks, closed at once and reopened well within the pause that
    // would reset the count: the new box still wants all five.
    QVERIFY(withAboutBox(main, [](AboutDialog *about) { clickLabel(about, 4); }));
    QVERIFY(withAboutBox(main, [](AboutDialog *about) { clickLabel(about, 1); }));
    QCOMPARE(profile->currentIndex(), 0);

    QVERIFY(withAboutBox(main, [](AboutDialog *about) { clickLabel(about, 5); }));
    QCOMPARE(profile->currentIndex(), 1);
}

void tst_AboutDialog::aboutQt()
{
    FendrakeXBeeConfiguratorDialog main;
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    MessageBoxCatcher catcher;

    QTest::mouseClick(main.findChild<QPushButton *>(QStringLiteral("btnAboutQt")), Qt::LeftButton);

    QCOMPARE(catcher.count(), 1);
    QCOMPARE(catcher.boxes().first().title, QStringLiteral("About Qt"));
}

QTEST_MAIN(tst_AboutDialog)
#include "tst_aboutdialog.moc"
