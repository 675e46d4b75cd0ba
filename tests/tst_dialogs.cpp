// The user levels of the Settings tab, the About box whose click gesture on
// "Version:" raises the level to Guru, and the channel mask calculator.

#include "app/fendrakexbeeconfiguratordialog.h"
#include "dialogs/aboutdialog.h"
#include "logic/channelmask.h"
#include "dialogs/configurechannelmaskdialog.h"
#include "support/isolatedsettings.h"
#include "support/modaldriver.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

namespace {

// The DH, DL, TO, MT and AP rows, the calculator button and the UART group.
const QStringList guruOnly = QString("lblDestinationAddressHigh txtDestinationAddressHigh lblDestinationAddressLow "
                                     "txtDestinationAddressLow lblTransmitOptions txtTransmitOptions "
                                     "lblBroadcastMultiTransmits txtBroadcastMultiTransmits lblAPIMode cmbAPIMode "
                                     "btnConfigureChannelMask groupBoxUART")
                                 .split(' ');
const QStringList neverShown = {"lblMACMode", "cmbMACMode"}; // MAC mode is neither read nor written
const QStringList alwaysShown = {"lblSerialHighValue", "txtChannelMask", "txtPANID", "btnReadSettings"};

void clickVersionLabel(AboutDialog *about, int clicks)
{
    for (int i = 0; i < clicks; ++i)
        QTest::mouseClick(about->findChild<QWidget *>("lblVersion"), Qt::LeftButton);
}

// How many more quick clicks on "Version:" complete the gesture (0 if none does).
int clicksToElevate(AboutDialog *about)
{
    QSignalSpy elevated(about, &AboutDialog::elevateRights);
    for (int clicks = 1; clicks <= 10; ++clicks) {
        clickVersionLabel(about, 1);
        if (elevated.count() > 0)
            return clicks;
    }
    return 0;
}

QLineEdit *cell(QWidget *calculator, int bit)
{
    return calculator->findChild<QLineEdit *>(QStringLiteral("txtBit%1").arg(bit));
}

// The cells from bit 31 down, as their digits; a cell coloured otherwise than
// its digit says (green for 1) reads "x".
QString cellsShown(QWidget *calculator)
{
    const QImage image = calculator->grab().toImage();
    QString shown;
    for (int bit = 31; bit >= 0; --bit) {
        QLineEdit *c = cell(calculator, bit);
        const QPoint inside = c->mapTo(calculator, QPoint(c->width() / 4, c->height() / 4));
        const bool green = image.pixelColor(inside) == QColor(Qt::darkGreen);
        shown += c->text() == QString::number(green) ? c->text() : QStringLiteral("x");
    }
    return shown;
}

} // namespace

class tst_Dialogs : public QObject
{
    Q_OBJECT

private slots:
    void levels_data();
    void levels();
    void aboutForm();
    void counted_data();
    void counted();
    void slowClicksNeverAddUp();
    void gestureFromMainDialog_data();
    void gestureFromMainDialog();
    void parseMask_data();
    void parseMask();
    void calculator_data();
    void calculator();

private:
    IsolatedSettings settings;
};

void tst_Dialogs::levels_data()
{
    QTest::addColumn<QList<int>>("profiles");
    QTest::addColumn<bool>("guru");

    QTest::newRow("start-up") << QList<int>{} << false;
    QTest::newRow("Guru") << QList<int>{1} << true;
    QTest::newRow("back to Beginner") << QList<int>{1, 0} << false;
}

void tst_Dialogs::levels()
{
    QFETCH(QList<int>, profiles);
    QFETCH(bool, guru);

    FendrakeXBeeConfiguratorDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *destinationHigh = dialog.findChild<QLineEdit *>("txtDestinationAddressHigh");
    destinationHigh->setText("13A200"); // while hidden
    for (int index : profiles) {
        const int height = dialog.height();
        dialog.findChild<QComboBox *>("cmbProfile")->setCurrentIndex(index);
        QVERIFY2(index == 1 ? dialog.height() > height : dialog.height() < height, "the Guru view is the taller one");
    }

    const auto shown = [&](const QString &name) { return dialog.findChild<QWidget *>(name)->isVisible(); };
    for (const QString &name : guruOnly + neverShown + alwaysShown)
        QVERIFY2(shown(name) == (alwaysShown.contains(name) || (guru && guruOnly.contains(name))), qPrintable(name));
    QCOMPARE(dialog.findChild<QLineEdit *>("txtPANID")->isReadOnly(), !guru);
    QCOMPARE(destinationHigh->text(), QStringLiteral("13A200"));
}

void tst_Dialogs::aboutForm()
{
    AboutDialog about;
    auto *version = about.findChild<QLineEdit *>("txtVersion");
    QVERIFY(!version->isEnabled());
    const QRegularExpression pattern(QStringLiteral("^1\\.0\\.1 \\([^()\\s]+\\)$"));
    QVERIFY2(pattern.match(version->text()).hasMatch(), qPrintable(version->text()));
}

void tst_Dialogs::counted_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QEvent::Type>("type");
    QTest::addColumn<int>("remaining"); // quick clicks still needed then

    // clang-format off
    QTest::newRow("press on label") << "lblVersion" << QEvent::MouseButtonPress << 4;
    QTest::newRow("double click on label") << "lblVersion" << QEvent::MouseButtonDblClick << 4;
    QTest::newRow("release on label") << "lblVersion" << QEvent::MouseButtonRelease << 5;
    QTest::newRow("press on version field") << "txtVersion" << QEvent::MouseButtonPress << 5;
    QTest::newRow("press on dialog") << "" << QEvent::MouseButtonPress << 5;
    // clang-format on
}

void tst_Dialogs::counted()
{
    QFETCH(QString, target);
    QFETCH(QEvent::Type, type);
    QFETCH(int, remaining);

    AboutDialog about;
    QWidget *watched = target.isEmpty() ? &about : about.findChild<QWidget *>(target);
    QMouseEvent event(type, QPointF(), QPointF(), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);

    // A counted press is swallowed: it goes no further than the label.
    QCOMPARE(about.eventFilter(watched, &event), remaining == 4);
    QCOMPARE(clicksToElevate(&about), remaining);
}

void tst_Dialogs::slowClicksNeverAddUp()
{
    AboutDialog about;
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));

    // Each pause is longer than the gesture allows between two clicks.
    clickVersionLabel(&about, 1);
    for (int i = 0; i < 2; ++i) {
        QTest::qWait(700);
        clickVersionLabel(&about, 1);
    }
    QCOMPARE(clicksToElevate(&about), 4);
}

void tst_Dialogs::gestureFromMainDialog_data()
{
    QTest::addColumn<QList<int>>("clicksPerOpening");
    QTest::addColumn<bool>("guru");

    QTest::newRow("five quick clicks") << QList<int>{5} << true;
    // Reopened well within the pause that would end the gesture.
    QTest::newRow("four, reopened, one") << QList<int>{4, 1} << false;
}

void tst_Dialogs::gestureFromMainDialog()
{
    QFETCH(QList<int>, clicksPerOpening);
    QFETCH(bool, guru);

    FendrakeXBeeConfiguratorDialog main;
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    auto *profile = main.findChild<QComboBox *>("cmbProfile");
    QSignalSpy profileChanged(profile, &QComboBox::currentIndexChanged);

    for (int clicks : clicksPerOpening) {
        ModalDriver<AboutDialog> driver([clicks](AboutDialog *about) {
            clickVersionLabel(about, clicks);
            QTest::mouseClick(about->findChild<QWidget *>("btnOK"), Qt::LeftButton);
        });
        QTest::mouseClick(main.findChild<QWidget *>("btnAbout"), Qt::LeftButton);
        QVERIFY(driver.found);
    }

    QCOMPARE(profile->currentText(), guru ? QStringLiteral("Guru") : QStringLiteral("Beginner"));
    QCOMPARE(profileChanged.count(), 0); // the level is applied once, not again by the selector
    QCOMPARE(main.findChild<QWidget *>("groupBoxUART")->isVisible(), guru);
}

void tst_Dialogs::parseMask_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("value"); // -1: no value

    // clang-format off
    QTest::newRow("all ones") << "FFFFFFFF" << 0xFFFFFFFFll;
    QTest::newRow("prefix 0x") << "0x1234" << 0x1234ll;
    QTest::newRow("prefix 0X") << "0X1234" << 0x1234ll;
    QTest::newRow("blanks, mixed case") << " 3effFDFF " << 0x3EFFFDFFll;
    QTest::newRow("invalid text") << "12G4" << -1ll;
    // QString's own conversion would take the second prefix.
    QTest::newRow("double prefix") << "0x0x12" << -1ll;
    QTest::newRow("nine digits") << "3EFFFDFFF" << -1ll;
    // clang-format on
}

void tst_Dialogs::parseMask()
{
    QFETCH(QString, text);
    QFETCH(qint64, value);

    const std::optional<quint32> parsed = ChannelMask::parse(text);
    QCOMPARE(parsed ? qint64(*parsed) : -1, value);
}

void tst_Dialogs::calculator_data()
{
    QTest::addColumn<QString>("field"); // the main window's mask when the calculator opens
    QTest::addColumn<int>("clickedBit");
    QTest::addColumn<QString>("pasted"); // over the whole hex field
    QTest::addColumn<QString>("typed");  // at the cursor
    QTest::addColumn<QString>("shown");  // in the hex field then
    QTest::addColumn<QString>("closing");
    QTest::addColumn<QString>("written");

    // clang-format off
    QTest::newRow("bit 0 on") << "00000000" << 0 << "" << "" << "00000001" << "Ok" << "00000001";
    QTest::newRow("bit 0 off") << "00000001" << 0 << "" << "" << "00000000" << "Ok" << "00000000";
    QTest::newRow("empty, bit 9 refused") << "" << 9 << "" << "" << "00000000" << "Ok" << "00000000";
    QTest::newRow("short, bit 24 refused") << "3" << 24 << "" << "" << "00000003" << "Ok" << "00000003";
    QTest::newRow("invalid, bit 30 refused") << "XYZ" << 30 << "" << "" << "00000000" << "Escape" << "00000000";
    QTest::newRow("wide, bit 31 refused") << "FFFFFFFF" << 31 << "" << "" << "3EFFFDFF" << "close" << "3EFFFDFF";
    QTest::newRow("all ones pasted") << "0" << -1 << "FFFFFFFF" << "" << "3EFFFDFF" << "Ok" << "3EFFFDFF";
    // Bit 9 of 0x1234 is no channel.
    QTest::newRow("0x1234 pasted") << "0" << -1 << "0x1234" << "" << "00001034" << "Escape" << "00001034";
    QTest::newRow("invalid text kept") << "3" << -1 << "12G4" << "" << "12G4" << "close" << "00000003";
    QTest::newRow("digit typed at the end") << "1" << -1 << "" << "F" << "0000001F" << "close" << "0000001F";
    // clang-format on
}

void tst_Dialogs::calculator()
{
    QFETCH(QString, field);
    QFETCH(int, clickedBit);
    QFETCH(QString, pasted);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QString, closing);
    QFETCH(QString, written);

    FendrakeXBeeConfiguratorDialog main;
    main.findChild<QComboBox *>("cmbProfile")->setCurrentIndex(1);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    auto *channelMask = main.findChild<QLineEdit *>("txtChannelMask");
    channelMask->setText(field);

    QString hexText, cells;
    ModalDriver<ConfigureChannelMaskDialog> driver([&](ConfigureChannelMaskDialog *calculator) {
        auto *hex = calculator->findChild<QLineEdit *>("txtHexValue");
        if (clickedBit >= 0)
            QTest::mouseClick(cell(calculator, clickedBit), Qt::LeftButton);
        if (!pasted.isEmpty()) {
            hex->selectAll();
            hex->insert(pasted);
        }
        QTest::keyClicks(hex, typed);
        hexText = hex->text();
        cells = cellsShown(calculator);
        if (closing == "Ok")
            QTest::mouseClick(calculator->findChild<QWidget *>("btnOk"), Qt::LeftButton);
        else if (closing == "Escape")
            QTest::keyClick(hex, Qt::Key_Escape); // the hex field passes Escape on
        else
            calculator->close();
    });
    QTest::mouseClick(main.findChild<QWidget *>("btnConfigureChannelMask"), Qt::LeftButton);

    QCOMPARE(hexText, shown);
    QCOMPARE(cells, QString::number(written.toUInt(nullptr, 16), 2).rightJustified(32, u'0'));
    QCOMPARE(channelMask->text(), written);
}

QTEST_MAIN(tst_Dialogs)
#include "tst_dialogs.moc"
