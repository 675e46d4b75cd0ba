// The user levels of the Settings tab, the About box whose click gesture on
// "Version:" raises the level to Guru, and the channel mask calculator.

#include "app/fendrakexbeeconfiguratordialog.h"
#include "dialogs/aboutdialog.h"
#include "dialogs/configurechannelmaskdialog.h"
#include "support/isolatedsettings.h"
#include "support/modaldriver.h"

#include <QComboBox>
#include <QLineEdit>
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

// The cells from bit 31 down, as their digits; a cell coloured otherwise than
// its digit says (green for 1) reads "x".
QString cellsShown(QWidget *calculator)
{
    const QImage image = calculator->grab().toImage();
    QString shown;
    for (int bit = 31; bit >= 0; --bit) {
        auto *cell = calculator->findChild<QLineEdit *>(QStringLiteral("txtBit%1").arg(bit));
        const QPoint inside = cell->mapTo(calculator, QPoint(cell->width() / 4, cell->height() / 4));
        const bool green = image.pixelColor(inside) == QColor(Qt::darkGreen);
        shown += cell->text() == QString::number(green) ? cell->text() : QStringLiteral("x");
    }
    return shown;
}

// Opens the About box from the main dialog, clicks "Version:" after each
// pause (in ms; -1 makes the click the second of a double click) and closes
// the box with Ok. Returns the version the box showed, none if it never came up.
QString clickVersion(QWidget &main, const QList<int> &pauses)
{
    QString version;
    ModalDriver<AboutDialog> driver([&](AboutDialog *about) {
        version = about->findChild<QLineEdit *>("txtVersion")->text();
        auto *label = about->findChild<QWidget *>("lblVersion");
        for (int pause : pauses) {
            QTest::qWait(qMax(pause, 0));
            if (pause < 0) // the second press of a double click arrives as a double-click event
                QTest::mouseDClick(label, Qt::LeftButton);
            else
                QTest::mousePress(label, Qt::LeftButton);
            QTest::mouseRelease(label, Qt::LeftButton);
        }
        QTest::mouseClick(about->findChild<QWidget *>("btnOK"), Qt::LeftButton);
    });
    QTest::mouseClick(main.findChild<QWidget *>("btnAbout"), Qt::LeftButton);
    return version;
}

} // namespace

class tst_Dialogs : public QObject
{
    Q_OBJECT

private slots:
    void levels_data();
    void levels();
    void calculator_data();
    void calculator();

private:
    IsolatedSettings settings;
};

void tst_Dialogs::levels_data()
{
    QTest::addColumn<QList<int>>("chosen");               // profiles picked in the selector
    QTest::addColumn<QList<QList<int>>>("versionClicks"); // see clickVersion()
    QTest::addColumn<bool>("guru");

    // clang-format off
    QTest::newRow("start-up") << QList<int>{} << QList<QList<int>>{} << false;
    QTest::newRow("Guru chosen") << QList<int>{1} << QList<QList<int>>{} << true;
    QTest::newRow("four quick clicks") << QList<int>{} << QList<QList<int>>{{0, 0, 0, 0}} << false;
    QTest::newRow("five quick clicks") << QList<int>{} << QList<QList<int>>{{0, 0, 0, 0, 0}} << true;
    QTest::newRow("each within 500 ms of the last") << QList<int>{} << QList<QList<int>>{{0, 200, 200, 200, 200}} << true;
    QTest::newRow("a slow pause starts over") << QList<int>{} << QList<QList<int>>{{0, 0, 0, 0, 700, 0, 0, 0}} << false;
    QTest::newRow("double clicks") << QList<int>{} << QList<QList<int>>{{0, -1, 0, -1, 0}} << true;
    // Reopened well within the pause that would end the gesture.
    QTest::newRow("four, reopened, one") << QList<int>{} << QList<QList<int>>{{0, 0, 0, 0}, {0}} << false;
    // clang-format on
}

void tst_Dialogs::levels()
{
    QFETCH(QList<int>, chosen);
    QFETCH(QList<QList<int>>, versionClicks);
    QFETCH(bool, guru);

    FendrakeXBeeConfiguratorDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *profile = dialog.findChild<QComboBox *>("cmbProfile");
    auto *destinationHigh = dialog.findChild<QLineEdit *>("txtDestinationAddressHigh");
    destinationHigh->setText("13A200"); // while hidden
    for (int index : chosen) {
        const int height = dialog.height();
        profile->setCurrentIndex(index);
        QVERIFY2(index == 1 ? dialog.height() > height : dialog.height() < height, "the Guru view is the taller one");
    }
    QSignalSpy profileChanged(profile, &QComboBox::currentIndexChanged);
    const QRegularExpression version(QStringLiteral("^1\\.0\\.1 \\([^()\\s]+\\)$")); // the build revision in brackets
    for (const QList<int> &pauses : versionClicks)
        QVERIFY(version.match(clickVersion(dialog, pauses)).hasMatch());
    QCOMPARE(profileChanged.count(), 0); // the gesture's level is applied once, not again by the selector

    QCOMPARE(profile->currentText(), guru ? QStringLiteral("Guru") : QStringLiteral("Beginner"));
    const auto shown = [&](const QString &name) { return dialog.findChild<QWidget *>(name)->isVisible(); };
    for (const QString &name : guruOnly + neverShown + alwaysShown)
        QVERIFY2(shown(name) == (alwaysShown.contains(name) || (guru && guruOnly.contains(name))), qPrintable(name));
    QCOMPARE(destinationHigh->text(), QStringLiteral("13A200"));
}

void tst_Dialogs::calculator_data()
{
    QTest::addColumn<QString>("field"); // the main window's mask when the calculator opens
    QTest::addColumn<QList<int>>("clickedBits");
    QTest::addColumn<QString>("pasted"); // over the whole hex field
    QTest::addColumn<QString>("typed");  // at the cursor
    QTest::addColumn<QString>("shown");  // in the hex field then
    QTest::addColumn<QString>("closing");
    QTest::addColumn<QString>("written");

    // clang-format off
    QTest::newRow("empty, bits 9 24 30 31 refused") << "" << QList<int>{0, 9, 24, 30, 31} << "" << "" << "00000001" << "Ok" << "00000001";
    QTest::newRow("bit 0 off") << "1" << QList<int>{0} << "" << "" << "00000000" << "Escape" << "00000000";
    QTest::newRow("wide field with 0x clamped") << "0xFFFFFFFF" << QList<int>{} << "" << "" << "3EFFFDFF" << "close" << "3EFFFDFF";
    // Bit 9 of 0x1A34 is no channel.
    QTest::newRow("0X, blanks, mixed case pasted") << "0" << QList<int>{} << " 0X1a34 " << "" << "00001834" << "Escape" << "00001834";
    QTest::newRow("invalid text kept") << "3" << QList<int>{} << "12G4" << "" << "12G4" << "close" << "00000003";
    // QString's own conversion would take the second prefix.
    QTest::newRow("double prefix kept") << "3" << QList<int>{} << "0x0x12" << "" << "0x0x12" << "Ok" << "00000003";
    QTest::newRow("nine digits kept") << "3" << QList<int>{} << "3EFFFDFFF" << "" << "3EFFFDFFF" << "Escape" << "00000003";
    QTest::newRow("digit typed at the end") << "1" << QList<int>{} << "" << "F" << "0000001F" << "close" << "0000001F";
    // clang-format on
}

void tst_Dialogs::calculator()
{
    QFETCH(QString, field);
    QFETCH(QList<int>, clickedBits);
    QFETCH(QString, pasted);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QString, closing);
    QFETCH(QString, written);

    FendrakeXBeeConfiguratorDialog main;
    main.findChild<QComboBox *>("cmbProfile")->setCurrentIndex(1);
    auto *channelMask = main.findChild<QLineEdit *>("txtChannelMask");
    channelMask->setText(field);

    QString hexText, cells;
    ModalDriver<ConfigureChannelMaskDialog> driver([&](ConfigureChannelMaskDialog *calculator) {
        auto *hex = calculator->findChild<QLineEdit *>("txtHexValue");
        for (int bit : clickedBits)
            QTest::mouseClick(calculator->findChild<QWidget *>(QStringLiteral("txtBit%1").arg(bit)), Qt::LeftButton);
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
