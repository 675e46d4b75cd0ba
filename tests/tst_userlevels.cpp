#include "app/fendrakexbeeconfiguratordialog.h"
#include "support/isolatedsettings.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <memory>

namespace {

// Widgets whose visibility follows the level: (object name, shown to a Guru).
const QList<QPair<QString, bool>> levelledWidgets = {
    {QStringLiteral("lblDestinationAddressHigh"), true},
    {QStringLiteral("txtDestinationAddressHigh"), true},
    {QStringLiteral("lblDestinationAddressLow"), true},
    {QStringLiteral("txtDestinationAddressLow"), true},
    {QStringLiteral("lblTransmitOptions"), true},
    {QStringLiteral("txtTransmitOptions"), true},
    {QStringLiteral("btnConfigureChannelMask"), true},
    {QStringLiteral("lblBroadcastMultiTransmits"), true},
    {QStringLiteral("txtBroadcastMultiTransmits"), true},
    {QStringLiteral("lblAPIMode"), true},
    {QStringLiteral("cmbAPIMode"), true},
    {QStringLiteral("groupBoxUART"), true},
    // MAC mode is never offered.
    {QStringLiteral("lblMACMode"), false},
    {QStringLiteral("cmbMACMode"), false},
};

// Always in view: serial number, channel mask, PAN ID and the buttons.
const QStringList alwaysShown = {
    QStringLiteral("lblSerialHighValue"), QStringLiteral("lblSerialLowValue"), QStringLiteral("txtChannelMask"),
    QStringLiteral("txtPANID"),           QStringLiteral("btnReadSettings"),   QStringLiteral("btnWriteSettings"),
    QStringLiteral("cmbConfiguration"),
};

} // namespace

class tst_UserLevels : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void startsAsBeginner();
    void view_data();
    void view();
    void backToBeginnerShrinks();
    void hiddenWidgetsKeepValues();

private:
    void chooseProfile(int index);
    bool shown(const QString &name) const;

    IsolatedSettings settings;
    std::unique_ptr<FendrakeXBeeConfiguratorDialog> dialog;
};

void tst_UserLevels::init()
{
    dialog = std::make_unique<FendrakeXBeeConfiguratorDialog>();
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    for (const auto &[name, guru] : levelledWidgets)
        QVERIFY2(dialog->findChild<QWidget *>(name), qPrintable(name));
    for (const QString &name : alwaysShown)
        QVERIFY2(dialog->findChild<QWidget *>(name), qPrintable(name));
}

void tst_UserLevels::cleanup()
{
    dialog.reset();
}

void tst_UserLevels::chooseProfile(int index)
{
    dialog->findChild<QComboBox *>(QStringLiteral("cmbProfile"))->setCurrentIndex(index);
}

bool tst_UserLevels::shown(const QString &name) const
{
    return dialog->findChild<QWidget *>(name)->isVisible();
}

void tst_UserLevels::startsAsBeginner()
{
    QCOMPARE(dialog->findChild<QComboBox *>(QStringLiteral("cmbProfile"))->currentText(), QStringLiteral("Beginner"));
    for (const auto &[name, guru] : levelledWidgets)
        QVERIFY2(!shown(name), qPrintable(name));
    for (const QString &name : alwaysShown)
        QVERIFY2(shown(name), qPrintable(name));
    QVERIFY(dialog->findChild<QLineEdit *>(QStringLiteral("txtPANID"))->isReadOnly());
}

void tst_UserLevels::view_data()
{
    QTest::addColumn<QList<int>>("profiles");
    QTest::addColumn<bool>("guru");

    QTest::newRow("Guru") << QList<int>{1} << true;
    QTest::newRow("Guru, then Beginner") << QList<int>{1, 0} << false;
    QTest::newRow("back and forth") << QList<int>{1, 0, 1} << true;
}

void tst_UserLevels::view()
{
    QFETCH(QList<int>, profiles);
    QFETCH(bool, guru);

    for (int index : profiles)
        chooseProfile(index);

    for (const auto &[name, shownToGuru] : levelledWidgets)
        QVERIFY2(shown(name) == (guru && shownToGuru), qPrintable(name));
    for (const QString &name : alwaysShown)
        QVERIFY2(shown(name), qPrintable(name));
    QCOMPARE(dialog->findChild<QLineEdit *>(QStringLiteral("txtPANID"))->isReadOnly(), !guru);
    // The channel mask is changed through the calculator alone.
    QVERIFY(dialog->findChild<QLineEdit *>(QStringLiteral("txtChannelMask"))->isReadOnly());
}

void tst_UserLevels::backToBeginnerShrinks()
{
    chooseProfile(1);
    const QSize guru = dialog->size();
    chooseProfile(0);
    const QSize beginner = dialog->size();
    QVERIFY2(beginner.height() < guru.height(), "the beginner view needs less room");

    // Each level always comes back at the same size.
    chooseProfile(1);
    QCOMPARE(dialog->size(), guru);
    chooseProfile(0);
    QCOMPARE(dialog->size(), beginner);
}

void tst_UserLevels::hiddenWidgetsKeepValues()
{
    chooseProfile(1);
    auto *destinationHigh = dialog->findChild<QLineEdit *>(QStringLiteral("txtDestinationAddressHigh"));
    auto *baudRate = dialog->findChild<QComboBox *>(QStringLiteral("cmbBaudRate"));
    auto *apiMode = dialog->findChild<QComboBox *>(QStringLiteral("cmbAPIMode"));
    destinationHigh->setText(QStringLiteral("13A200"));
    baudRate->setCurrentIndex(3);
    apiMode->setCurrentIndex(2);

    chooseProfile(0);
    QVERIFY(!destinationHigh->isVisible());
    QCOMPARE(destinationHigh->text(), QStringLiteral("13A200"));
    QCOMPARE(baudRate->currentIndex(), 3);
    QCOMPARE(apiMode->currentIndex(), 2);

    chooseProfile(1);
    QVERIFY(destinationHigh->isVisible());
    QCOMPARE(destinationHigh->text(), QStringLiteral("13A200"));
    QCOMPARE(baudRate->currentIndex(), 3);
    QCOMPARE(apiMode->currentIndex(), 2);
}

QTEST_MAIN(tst_UserLevels)
#include "tst_userlevels.moc"
