#include "app/fendrakexbeeconfiguratordialog.h"
#include "dialogs/configurechannelmaskdialog.h"
#include "support/isolatedsettings.h"
#include "support/messageboxcatcher.h"
#include "support/modaldriver.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

// How the calculator is left.
enum class Closing { Ok, Escape, CloseButton };
Q_DECLARE_METATYPE(Closing)

namespace {

QLineEdit *cell(QWidget *dialog, int bit)
{
    return dialog->findChild<QLineEdit *>(QStringLiteral("txtBit%1").arg(bit));
}

QLineEdit *hexField(QWidget *dialog)
{
    return dialog->findChild<QLineEdit *>(QStringLiteral("txtHexValue"));
}

// The cells must show the same mask as the number, text and colour code alike.
bool cellsShow(QWidget *dialog, quint32 mask)
{
    for (int bit = 0; bit < 32; ++bit) {
        const QString expected = (mask >> bit) & 1u ? QStringLiteral("1") : QStringLiteral("0");
        QLineEdit *c = cell(dialog, bit);
        if (!c || c->text() != expected || c->property("code").toString() != expected) {
            qWarning("bit %d does not show %s", bit, qPrintable(expected));
            return false;
        }
    }
    return true;
}

void close(QDialog *dialog, Closing closing)
{
    switch (closing) {
    case Closing::Ok:
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("btnOk")), Qt::LeftButton);
        break;
    case Closing::Escape:
        // The field does not want Escape, so it reaches the dialog.
        QTest::keyClick(hexField(dialog), Qt::Key_Escape);
        break;
    case Closing::CloseButton:
        dialog->close();
        break;
    }
}

} // namespace

class tst_ChannelMaskDialog : public QObject
{
    Q_OBJECT

private slots:
    void cellsInByteRows();
    void hexEntry_data();
    void hexEntry();
    void cellClick_data();
    void cellClick();
    void setCellShowsGreen();
    void typing_data();
    void typing();
    void help();
    void fromMainDialog_data();
    void fromMainDialog();

private:
    IsolatedSettings settings;
};

void tst_ChannelMaskDialog::cellsInByteRows()
{
    ConfigureChannelMaskDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    // Most significant bit on the left, byte 3 on top.
    for (int bit = 0; bit < 32; ++bit) {
        QLineEdit *c = cell(&dialog, bit);
        QVERIFY(c);
        QCOMPARE(c->property("bitIndex").toInt(), bit);
        if (bit % 8 != 0)
            QVERIFY(c->x() < cell(&dialog, bit - 1)->x());
        if (bit >= 8)
            QVERIFY(c->y() < cell(&dialog, bit - 8)->y());
    }
}

void tst_ChannelMaskDialog::hexEntry_data()
{
    QTest::addColumn<quint32>("start");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<quint32>("mask");
    QTest::addColumn<QString>("shown");

    QTest::newRow("all ones") << 0u << "FFFFFFFF" << 0x3EFFFDFFu << "3EFFFDFF";
    // 0x1234 has bit 9 set, which is no channel.
    QTest::newRow("prefix 0x") << 0u << "0x1234" << 0x1034u << "00001034";
    QTest::newRow("prefix 0X") << 0u << "0X1234" << 0x1034u << "00001034";
    QTest::newRow("prefix, channels only") << 0u << "0x1034" << 0x1034u << "00001034";
    QTest::newRow("blanks, mixed case") << 0u << " 3effFDFF " << 0x3EFFFDFFu << "3EFFFDFF";
    QTest::newRow("short") << 0x1234u << "3" << 0x3u << "00000003";
    QTest::newRow("bit 9 only") << 0x3u << "200" << 0u << "00000000";
    QTest::newRow("invalid text") << 0x3u << "12G4" << 0x3u << "12G4";
    QTest::newRow("nine digits") << 0x3u << "3EFFFDFFF" << 0x3u << "3EFFFDFFF";
    QTest::newRow("emptied") << 0x3u << "" << 0x3u << "";
}

void tst_ChannelMaskDialog::hexEntry()
{
    QFETCH(quint32, start);
    QFETCH(QString, pasted);
    QFETCH(quint32, mask);
    QFETCH(QString, shown);

    ConfigureChannelMaskDialog dialog;
    dialog.channelMask = start;
    dialog.updateFields();

    // Pasting over the whole text is one edit.
    QLineEdit *hex = hexField(&dialog);
    hex->selectAll();
    hex->insert(pasted);

    QCOMPARE(hex->text(), shown);
    QCOMPARE(dialog.channelMask, mask);
    QVERIFY(cellsShow(&dialog, mask));
}

void tst_ChannelMaskDialog::cellClick_data()
{
    QTest::addColumn<quint32>("start");
    QTest::addColumn<int>("bit");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<quint32>("mask");

    QTest::newRow("bit 0 on") << 0u << 0 << Qt::LeftButton << 0x1u;
    QTest::newRow("bit 0 off") << 0x1u << 0 << Qt::LeftButton << 0u;
    QTest::newRow("right button") << 0u << 0 << Qt::RightButton << 0x1u;
    QTest::newRow("bit 29") << 0u << 29 << Qt::LeftButton << 0x20000000u;
    QTest::newRow("bit 9 refused") << 0u << 9 << Qt::LeftButton << 0u;
    QTest::newRow("bit 24 refused") << 0x3u << 24 << Qt::LeftButton << 0x3u;
    QTest::newRow("bit 30 refused") << 0u << 30 << Qt::LeftButton << 0u;
    QTest::newRow("bit 31 refused") << 0x3EFFFDFFu << 31 << Qt::LeftButton << 0x3EFFFDFFu;
}

void tst_ChannelMaskDialog::cellClick()
{
    QFETCH(quint32, start);
    QFETCH(int, bit);
    QFETCH(Qt::MouseButton, button);
    QFETCH(quint32, mask);

    ConfigureChannelMaskDialog dialog;
    dialog.channelMask = start;
    dialog.updateFields();
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    QTest::mouseClick(cell(&dialog, bit), button);

    QCOMPARE(dialog.channelMask, mask);
    QCOMPARE(hexField(&dialog)->text(), QStringLiteral("%1").arg(mask, 8, 16, QLatin1Char('0')).toUpper());
    QVERIFY(cellsShow(&dialog, mask));
}

void tst_ChannelMaskDialog::setCellShowsGreen()
{
    ConfigureChannelMaskDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QLineEdit *bit0 = cell(&dialog, 0);
    const QPoint inside(bit0->width() / 4, bit0->height() / 4);

    QTest::mouseClick(bit0, Qt::LeftButton);
    QCOMPARE(bit0->grab().toImage().pixelColor(inside), QColor(Qt::darkGreen));

    QTest::mouseClick(bit0, Qt::LeftButton);
    QVERIFY(bit0->grab().toImage().pixelColor(inside) != QColor(Qt::darkGreen));
}

void tst_ChannelMaskDialog::typing_data()
{
    QTest::addColumn<quint32>("start");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<quint32>("mask");
    QTest::addColumn<QString>("shown");

    QTest::newRow("digit shifts in") << 0x1u << "F" << 0x1Fu << "0000001F";
    QTest::newRow("two digits") << 0x1u << "23" << 0x123u << "00000123";
    QTest::newRow("ninth digit") << 0x3EFFFDFFu << "F" << 0x3EFFFDFFu << "3EFFFDFFF";
    QTest::newRow("prefix key by key") << 0u << "0x" << 0u << "00000000x";
    QTest::newRow("letter beyond f") << 0x5u << "g" << 0x5u << "00000005g";
}

void tst_ChannelMaskDialog::typing()
{
    QFETCH(quint32, start);
    QFETCH(QString, keys);
    QFETCH(quint32, mask);
    QFETCH(QString, shown);

    ConfigureChannelMaskDialog dialog;
    dialog.channelMask = start;
    dialog.updateFields();
    QLineEdit *hex = hexField(&dialog);
    QCOMPARE(hex->cursorPosition(), 8);

    QTest::keyClicks(hex, keys);

    QCOMPARE(hex->text(), shown);
    QCOMPARE(dialog.channelMask, mask);
    QVERIFY(cellsShow(&dialog, mask));
}

void tst_ChannelMaskDialog::help()
{
    ConfigureChannelMaskDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    MessageBoxCatcher catcher;

    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("btnHelp")), Qt::LeftButton);

    QCOMPARE(catcher.count(), 1);
    const MessageBoxCatcher::Box &box = catcher.boxes().first();
    QCOMPARE(box.title, QStringLiteral("Channel Mask Help"));
    QCOMPARE(box.icon, QMessageBox::Information);
    QVERIFY(box.text.startsWith(QStringLiteral("Each bit represents an RF frequency band channel.")));
    QVERIFY(box.text.contains(QStringLiteral("\n\nChannel 0 = 863.15 MHz\n")));
    QVERIFY(box.text.contains(QStringLiteral("\nChannel 24 = N/A\n")));
    QVERIFY(box.text.endsWith(QStringLiteral("\nChannel 29 = 869.85 MHz")));
    QVERIFY(dialog.isVisible());
}

void tst_ChannelMaskDialog::fromMainDialog_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("clickedBit");
    QTest::addColumn<Closing>("closing");
    QTest::addColumn<QString>("written");

    const int noClick = -1;
    QTest::newRow("empty, Ok") << ""
                               << "00000000" << noClick << Closing::Ok << "00000000";
    QTest::newRow("invalid, Escape") << "XYZ"
                                     << "00000000" << noClick << Closing::Escape << "00000000";
    QTest::newRow("wide, close button") << "FFFFFFFF"
                                        << "3EFFFDFF" << noClick << Closing::CloseButton << "3EFFFDFF";
    QTest::newRow("short, Ok") << "3"
                               << "00000003" << noClick << Closing::Ok << "00000003";
    QTest::newRow("blanks, Escape") << " 1f "
                                    << "0000001F" << noClick << Closing::Escape << "0000001F";
    QTest::newRow("click, Ok") << "00000000"
                               << "00000000" << 0 << Closing::Ok << "00000001";
    QTest::newRow("click, Escape") << "00000003"
                                   << "00000003" << 1 << Closing::Escape << "00000001";
    QTest::newRow("click, close button") << "3EFFFDFF"
                                         << "3EFFFDFF" << 29 << Closing::CloseButton << "1EFFFDFF";
}

void tst_ChannelMaskDialog::fromMainDialog()
{
    QFETCH(QString, field);
    QFETCH(QString, shown);
    QFETCH(int, clickedBit);
    QFETCH(Closing, closing);
    QFETCH(QString, written);

    FendrakeXBeeConfiguratorDialog main;
    main.findChild<QComboBox *>(QStringLiteral("cmbProfile"))->setCurrentIndex(1);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    auto *channelMask = main.findChild<QLineEdit *>(QStringLiteral("txtChannelMask"));
    channelMask->setText(field);

    QString opened;
    ModalDriver<ConfigureChannelMaskDialog> driver([&](ConfigureChannelMaskDialog *calculator) {
        opened = hexField(calculator)->text();
        if (clickedBit >= 0)
            QTest::mouseClick(cell(calculator, clickedBit), Qt::LeftButton);
        close(calculator, closing);
    });
    QTest::mouseClick(main.findChild<QPushButton *>(QStringLiteral("btnConfigureChannelMask")), Qt::LeftButton);

    QVERIFY(driver.found);
    QCOMPARE(opened, shown);
    QCOMPARE(channelMask->text(), written);
    QVERIFY(!QApplication::activeModalWidget());
}

QTEST_MAIN(tst_ChannelMaskDialog)
#include "tst_channelmaskdialog.moc"
