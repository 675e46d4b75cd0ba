// The main window's form is the contract between the dialog's parts: they
// reach every widget by object name and rely on its class, place and texts.
// The form is built on a plain QDialog so that nothing but the form is tested.

#include "ui_fendrakexbeeconfiguratordialog.h"

#include <QFile>
#include <QMetaEnum>
#include <QMultiMap>
#include <QtTest>

// Rich text as the form designer writes it.
#define RICH(body) "<html><head/><body>" body "</body></html>"
#define BOLD(text) "<span style=\" font-weight:700;\">" text "</span>"
#define SETTING(command, caption) RICH("<p>" BOLD(command) caption "</p>")
#define RANGE(range, paragraphs) RICH("<p>" BOLD("Range: [" range "]") "</p>" paragraphs)

namespace {

struct FormWidget
{
    const char *name;
    const char *className;
    const char *text; // a group box's title
    const char *toolTip;
    const char *placeholder;
};

const FormWidget formWidgets[] = {
    {"lblSerial", "QLabel", "COM:", "", ""},
    {"cmbSerial", "QComboBox", "", "", ""},
    {"lblSerialBaudRate", "QLabel", "Baud rate:", "", ""},
    {"cmbSerialBaudRate", "QComboBox", "", "", ""},
    {"lblProfile", "QLabel", "Profile:", "", ""},
    {"cmbProfile", "QComboBox", "", "", "Profile"},
    {"tabWidget", "QTabWidget", "", "", ""},
    {"tabSettings", "QWidget", "", "", ""},
    {"btnReadSettings", "QPushButton", "Read", "", ""},
    {"btnWriteSettings", "QPushButton", "Write", "", ""},
    {"lblConfiguration", "QLabel", "Configuration:", "", ""},
    {"cmbConfiguration", "QComboBox", "", "Select a profile to complete predefined settings", "Configuration"},
    {"groupBoxAddressing", "QGroupBox", "Addressing", "", ""},
    {"lblSerialHigh", "QLabel", SETTING("SH", " Serial Number High"), "", ""},
    {"lblSerialHighValue", "QLabel", "",
     "The upper 32 bits of the unique IEEE 64-bit Extended Address assigned to this module", ""},
    {"lblSerialLow", "QLabel", SETTING("SL", " Serial Number Low"), "", ""},
    {"lblSerialLowValue", "QLabel", "",
     "The lower 32 bits of the unique IEEE 64-bit Extended Address assigned to this module", ""},
    {"lblDestinationAddressHigh", "QLabel", SETTING("DH", " Destination Address High"), "", ""},
    {"txtDestinationAddressHigh", "QLineEdit", "",
     RANGE("0x0 - 0xFFFFFFFF",
           "<p>The upper 32 bits of the 64-bit destination address. Set the DH register to zero "
           "and DL less than 0xFFFF to transmit using a 16-bit short address. 0x000000000000FFFF "
           "is the broadcast address for the PAN.</p>"),
     ""},
    {"lblDestinationAddressLow", "QLabel", SETTING("DL", " Destination Address Low"), "", ""},
    {"txtDestinationAddressLow", "QLineEdit", "",
     RANGE("0x0 - 0xFFFFFFFF",
           "<p>Set/read the lower 32 bits of the 64-bit destination address. Set the DH register "
           "to zero and DL less than 0xFFFF to transmit using a 16-bit short address. "
           "0x000000000000FFFF is the broadcast address for the PAN.</p>"),
     ""},
    {"lblTransmitOptions", "QLabel", SETTING("TO", " Transmit options"), "", ""},
    {"txtTransmitOptions", "QLineEdit", "",
     RANGE("0x40 - 0xDF",
           "<p>" BOLD(
               "Bits 07- 00") "</p><p>The bitfield that configures the transmit options "
                              "for Transparent mode.</p><p>Bit 6,7: </p><p>- 00 (invalid option)</p>"
                              "<p>- 01 (Point-multipoint)</p><p>- 10 (Directed broadcast)</p><p>- 11 (DigiMesh)</p>"),
     ""},
    {"groupBoxNetworking", "QGroupBox", "Networking", "", ""},
    {"lblChannelMask", "QLabel", SETTING("CM", " Channel Mask"), "", ""},
    {"txtChannelMask", "QLineEdit", "",
     RANGE("0x3 - 0x3EFFFDFF",
           "<p>This mask limits the channels that the radio will transmit on. See the manual for "
           "the list of frequencies. Channel 0 is bit 0. You must enable at least two channels, "
           "except when using only a single frequency of 869.85 MHz. When you use this mode (use "
           "0x200000000) LBT+AFA will be </p>"),
     ""},
    {"btnConfigureChannelMask", "QPushButton", "", "Configure the channel mask", ""},
    {"lblPANID", "QLabel", SETTING("ID", " Network PAN ID"), "", ""},
    {"txtPANID", "QLineEdit", "",
     RANGE("0x0 - 0xFFFF",
           "<p>The network PAN (Personal Area Network) ID. Only modules with a matching ID can "
           "communicate with each other.</p><p>Set ID = 0xFFFF to send message to all PANs.</p>"),
     ""},
    {"lblBroadcastMultiTransmits", "QLabel", SETTING("MT", " Broadcast Multi-transmits"), "", ""},
    {"txtBroadcastMultiTransmits", "QLineEdit", "",
     RANGE("0x0 - 0x5",
           "<p>The number of additional broadcast retransmissions. All broadcast packets are "
           "transmitted MT+1 times to ensure it is received.</p>"),
     ""},
    {"lblMACMode", "QLabel", SETTING("MM", " MAC Mode"), "", ""},
    {"cmbMACMode", "QComboBox", "",
     "Configure the MAC Mode of the device. This enables/disables a Digi-proprietary header in "
     "the 802.15.4 RF packet and whether or not MAC ACKs should be used.\nEnabling the Digi "
     "header (MM = 0 or 3) allows duplicate packet detection and network discovery via ND and DN "
     "commands. Options 1 and 2 are strict 802.15.4 modes which are compatible with some "
     "third-party 802.15.4 devices.",
     ""},
    {"lblAPIMode", "QLabel", SETTING("AP ", "API Enable"), "", ""},
    {"cmbAPIMode", "QComboBox", "",
     "The API mode setting. RF Packets received can be formatted into API frames to be sent out "
     "the serial port. When API is enabled the serial data must be formatted as API frames as "
     "transparent mode is disabled.",
     ""},
    {"groupBoxUART", "QGroupBox", "UART Interface", "", ""},
    {"lblBaudRate", "QLabel", SETTING("BD", " UART Baud Rate"), "", ""},
    {"cmbBaudRate", "QComboBox", "",
     "The serial interface baud rate for communication between modem serial port and host. "
     "Request non-standard baud rates with values above 0x80 using a terminal window. Read BD to "
     "find actual baud rate achieved.",
     ""},
    {"lblParity", "QLabel", SETTING("NB", " UART Parity"), "", ""},
    {"cmbParity", "QComboBox", "", "Configure parity for the UART.", ""},
    {"lblStopBits", "QLabel", SETTING("SB", " UART Stop Bits"), "", ""},
    {"cmbStopBits", "QComboBox", "", "Configure the number of stop bits that the UART will output.", ""},
    {"lblPacketizationTimeout", "QLabel", SETTING("RO", " Transparent Packetization Timeout"), "", ""},
    {"txtPacketizationTimeout", "QLineEdit", "",
     RANGE("0x0 - 0xFF",
           "<p>Set/read number of character times of inter-character delay required before "
           "transmission begins in transparent mode. Set to zero to transmit characters as they "
           "arrive instead of buffering them into one RF packet.</p>"),
     ""},
    {"progressBar", "QProgressBar", "", "", ""},
    {"tabTest", "QWidget", "", "", ""},
    {"grpMode", "QGroupBox", "Mode", "", ""},
    {"rdbTransmitter", "QRadioButton", "Transmitter", "", ""},
    {"rdbReceiver", "QRadioButton", "Receiver", "", ""},
    {"btnStartTest", "QPushButton", "Start", "", ""},
    {"btnExportResults", "QPushButton", "Export results", "", ""},
    {"lblTestStatistics", "QLabel", "", "", ""},
    {"btnAbout", "QPushButton", "", "", ""},
    {"btnAboutQt", "QPushButton", "", "", ""},
    {"btnClose", "QPushButton", "Ok", "", ""},
};

struct FormLayout
{
    QString name;
    QStringList items; // "on <widget>" first when the layout is a widget's own
};

// Grid cells read "<item> row,column", box items "<item>"; spacers read
// "spacer <width>x<height> <horizontal policy>,<vertical policy>".
QList<FormLayout> formLayouts()
{
    return {
        {"verticalLayout", {"on FendrakeXBeeConfiguratorDialog", "gridLayout_4", "tabWidget", "horizontalLayout_2"}},
        {"gridLayout_4",
         {"lblSerial 0,0", "cmbSerial 0,1", "lblSerialBaudRate 0,2", "cmbSerialBaudRate 0,3",
          "spacer 0x0 Expanding,Minimum 0,4", "lblProfile 0,5", "cmbProfile 0,6"}},
        {"gridLayout_5",
         {"on tabSettings", "gridLayout_6 0,0", "groupBoxAddressing 1,0", "groupBoxNetworking 2,0", "groupBoxUART 3,0",
          "progressBar 4,0", "spacer 20x40 Minimum,Expanding 5,0"}},
        {"gridLayout_6",
         {"btnReadSettings 0,0", "btnWriteSettings 0,1", "spacer 40x20 Expanding,Minimum 0,2", "lblConfiguration 0,3",
          "cmbConfiguration 0,4"}},
        {"gridLayout_3",
         {"on groupBoxAddressing", "lblSerialHigh 0,0", "lblSerialHighValue 0,1", "lblSerialLow 1,0",
          "lblSerialLowValue 1,1", "lblDestinationAddressHigh 2,0", "txtDestinationAddressHigh 2,1",
          "lblDestinationAddressLow 3,0", "txtDestinationAddressLow 3,1", "lblTransmitOptions 4,0",
          "txtTransmitOptions 4,1"}},
        {"gridLayout_2",
         {"on groupBoxNetworking", "lblChannelMask 0,0", "txtChannelMask 0,1", "btnConfigureChannelMask 0,2",
          "lblPANID 1,0", "txtPANID 1,1 span 1x2", "lblBroadcastMultiTransmits 2,0",
          "txtBroadcastMultiTransmits 2,1 span 1x2", "lblMACMode 3,0", "cmbMACMode 3,1 span 1x2", "lblAPIMode 4,0",
          "cmbAPIMode 4,1 span 1x2"}},
        {"gridLayout",
         {"on groupBoxUART", "lblBaudRate 2,0", "cmbBaudRate 2,1", "lblParity 3,0", "cmbParity 3,1", "lblStopBits 4,0",
          "cmbStopBits 4,1", "lblPacketizationTimeout 5,0", "txtPacketizationTimeout 5,1", "column 1 stretch 1"}},
        {"verticalLayout_2",
         {"on tabTest", "grpMode", "horizontalLayout_3", "lblTestStatistics", "verticalLayout_Chart stretch 1",
          "spacer 20x40 Minimum,Expanding"}},
        {"horizontalLayout", {"on grpMode", "rdbTransmitter", "rdbReceiver", "spacer 40x20 Expanding,Minimum"}},
        {"horizontalLayout_3", {"btnStartTest", "btnExportResults"}},
        {"verticalLayout_Chart", {}},
        {"horizontalLayout_2", {"btnAbout", "btnAboutQt", "spacer 40x20 Expanding,Minimum", "btnClose"}},
    };
}

QString policyName(QSizePolicy::Policy policy)
{
    return QString::fromLatin1(QMetaEnum::fromType<QSizePolicy::Policy>().valueToKey(policy));
}

QString describe(QLayoutItem *item)
{
    if (QWidget *widget = item->widget())
        return widget->objectName();
    if (QLayout *layout = item->layout())
        return layout->objectName();
    const QSpacerItem *spacer = item->spacerItem();
    const QSizePolicy policy = spacer->sizePolicy();
    return QStringLiteral("spacer %1x%2 %3,%4")
        .arg(spacer->sizeHint().width())
        .arg(spacer->sizeHint().height())
        .arg(policyName(policy.horizontalPolicy()), policyName(policy.verticalPolicy()));
}

QStringList describeGrid(const QGridLayout *grid)
{
    QMultiMap<std::pair<int, int>, QString> cells;
    for (int i = 0; i < grid->count(); ++i) {
        int row, column, rowSpan, columnSpan;
        grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
        QString cell = QStringLiteral("%1 %2,%3").arg(describe(grid->itemAt(i))).arg(row).arg(column);
        if (rowSpan != 1 || columnSpan != 1)
            cell += QStringLiteral(" span %1x%2").arg(rowSpan).arg(columnSpan);
        cells.insert({row, column}, cell);
    }
    QStringList lines = cells.values();
    for (int row = 0; row < grid->rowCount(); ++row) {
        if (grid->rowStretch(row))
            lines << QStringLiteral("row %1 stretch %2").arg(row).arg(grid->rowStretch(row));
    }
    for (int column = 0; column < grid->columnCount(); ++column) {
        if (grid->columnStretch(column))
            lines << QStringLiteral("column %1 stretch %2").arg(column).arg(grid->columnStretch(column));
    }
    return lines;
}

QStringList describeBox(const QBoxLayout *box)
{
    QStringList lines;
    for (int i = 0; i < box->count(); ++i) {
        QString line = describe(box->itemAt(i));
        if (box->stretch(i))
            line += QStringLiteral(" stretch %1").arg(box->stretch(i));
        lines << line;
    }
    return lines;
}

QStringList describeLayout(const QLayout *layout)
{
    QStringList lines;
    const QWidget *owner = layout->parentWidget();
    if (owner && owner->layout() == layout)
        lines << QStringLiteral("on ") + owner->objectName();
    if (auto grid = qobject_cast<const QGridLayout *>(layout))
        return lines + describeGrid(grid);
    return lines + describeBox(qobject_cast<const QBoxLayout *>(layout));
}

// Object names of the form's widgets, leaving out what Qt's widgets create
// for themselves (tab bar, scroll buttons); the tab pages sit in the tab
// widget's internal stack.
QStringList formWidgetNames(const QWidget *parent)
{
    QStringList names;
    const auto children = parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (const QWidget *child : children) {
        const QString name = child->objectName();
        if (name == QLatin1String("qt_tabwidget_stackedwidget"))
            names += formWidgetNames(child);
        else if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")))
            names << name << formWidgetNames(child);
    }
    return names;
}

QString shownText(const QWidget *widget)
{
    if (auto box = qobject_cast<const QGroupBox *>(widget))
        return box->title();
    if (auto label = qobject_cast<const QLabel *>(widget))
        return label->text();
    if (auto button = qobject_cast<const QAbstractButton *>(widget))
        return button->text();
    if (auto edit = qobject_cast<const QLineEdit *>(widget))
        return edit->text();
    return QString();
}

QImage rendered(const QIcon &icon)
{
    return icon.pixmap(QSize(16, 16)).toImage();
}

} // namespace

class tst_MainForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void widgets_data();
    void widgets();
    void everyFormWidgetIsListed();
    void comboItems_data();
    void comboItems();
    void layouts_data();
    void layouts();
    void everyLayoutIsListed();
    void margins_data();
    void margins();
    void dialogAndTabs();
    void widgetStates();
    void icons_data();
    void icons();
    void keepsGivenObjectName_data();
    void keepsGivenObjectName();

private:
    template<typename T> T *find(const QString &name) const { return dialog.findChild<T *>(name); }

    QDialog dialog;
    Ui::FendrakeXBeeConfiguratorDialog ui;
};

void tst_MainForm::initTestCase()
{
    ui.setupUi(&dialog);
}

void tst_MainForm::widgets_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<QString>("placeholder");

    for (const FormWidget &entry : formWidgets) {
        QTest::newRow(entry.name) << QString::fromLatin1(entry.className) << QString::fromLatin1(entry.text)
                                  << QString::fromLatin1(entry.toolTip) << QString::fromLatin1(entry.placeholder);
    }
}

void tst_MainForm::widgets()
{
    QFETCH(QString, className);
    QFETCH(QString, text);
    QFETCH(QString, toolTip);
    QFETCH(QString, placeholder);

    const QWidget *widget = find<QWidget>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(widget);
    QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), className);
    QCOMPARE(shownText(widget), text);
    QCOMPARE(widget->toolTip(), toolTip);
    QCOMPARE(widget->property("placeholderText").toString(), placeholder);
    QVERIFY(widget->isEnabled());
    // The tab widget itself hides the page that is not current.
    if (widget != ui.tabTest)
        QVERIFY(!widget->isHidden());
    QVERIFY(widget->minimumSize().isNull());
    QCOMPARE(widget->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
}

void tst_MainForm::everyFormWidgetIsListed()
{
    QStringList listed;
    for (const FormWidget &entry : formWidgets)
        listed << QString::fromLatin1(entry.name);
    QStringList found = formWidgetNames(&dialog);
    listed.sort();
    found.sort();
    QCOMPARE(found, listed);
}

void tst_MainForm::comboItems_data()
{
    QTest::addColumn<QStringList>("items");

    QTest::newRow("cmbSerial") << QStringList();
    QTest::newRow("cmbSerialBaudRate") << QStringList();
    QTest::newRow("cmbProfile") << QStringList{"Beginner", "Guru"};
    QTest::newRow("cmbConfiguration") << QStringList{"Custom", "Scoreboard", "WindSpeed"};
    QTest::newRow("cmbMACMode") << QStringList{"802.15.4 + Digi header with ACKs", "Strict 802.15.4 no ACKs",
                                               "Strict 802.15.4 with ACKs", "802.15.4 + Digi header no ACKs"};
    QTest::newRow("cmbAPIMode") << QStringList{"Transparent Mode", "API Mode Without Escapes", "API Mode With Escapes"};
    QTest::newRow("cmbBaudRate") << QStringList{"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"};
    QTest::newRow("cmbParity") << QStringList{"No Parity", "Even Parity", "Odd Parity"};
    QTest::newRow("cmbStopBits") << QStringList{"One stop bit", "Two stop bits"};
}

void tst_MainForm::comboItems()
{
    QFETCH(QStringList, items);

    const QComboBox *combo = find<QComboBox>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(combo);
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    QCOMPARE(texts, items);
    // The items exist before the placeholder text, so the first one is shown.
    QCOMPARE(combo->currentIndex(), items.isEmpty() ? -1 : 0);
}

void tst_MainForm::layouts_data()
{
    QTest::addColumn<QStringList>("items");

    for (const FormLayout &entry : formLayouts())
        QTest::newRow(qPrintable(entry.name)) << entry.items;
}

void tst_MainForm::layouts()
{
    QFETCH(QStringList, items);

    const QLayout *layout = find<QLayout>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(layout);
    QCOMPARE(describeLayout(layout), items);
}

void tst_MainForm::everyLayoutIsListed()
{
    QStringList listed;
    for (const FormLayout &entry : formLayouts())
        listed << entry.name;
    QStringList found;
    const auto layouts = dialog.findChildren<QLayout *>();
    for (const QLayout *layout : layouts) {
        if (!layout->objectName().isEmpty()) // Qt's widgets leave their own layouts unnamed
            found << layout->objectName();
    }
    listed.sort();
    found.sort();
    QCOMPARE(found, listed);
}

void tst_MainForm::margins_data()
{
    // A margin the form leaves alone must equal that of a layout in the
    // same situation that has no margins set at all.
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("sameSituation");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("bottom"); // -1: left alone

    QTest::newRow("connection bar") << "gridLayout_4"
                                    << "gridLayout_6" << 6 << 6;
    QTest::newRow("addressing") << "gridLayout_3"
                                << "gridLayout_2" << 9 << -1;
}

void tst_MainForm::margins()
{
    QFETCH(QString, layout);
    QFETCH(QString, sameSituation);
    QFETCH(int, top);
    QFETCH(int, bottom);

    const QLayout *subject = find<QLayout>(layout);
    const QLayout *reference = find<QLayout>(sameSituation);
    QVERIFY(subject && reference);
    const QMargins margins = subject->contentsMargins();
    const QMargins defaults = reference->contentsMargins();
    QCOMPARE(margins.left(), defaults.left());
    QCOMPARE(margins.right(), defaults.right());
    QCOMPARE(margins.top(), top);
    QCOMPARE(margins.bottom(), bottom < 0 ? defaults.bottom() : bottom);
}

void tst_MainForm::dialogAndTabs()
{
    QCOMPARE(dialog.size(), QSize(425, 710));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("TarnowickDialog"));
    QCOMPARE(dialog.sizePolicy(), QSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred));
    QVERIFY(!dialog.testAttribute(Qt::WA_SetWindowIcon));

    QCOMPARE(ui.tabWidget->sizePolicy(), QSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding));
    QCOMPARE(ui.tabWidget->count(), 2);
    QCOMPARE(ui.tabWidget->widget(0), ui.tabSettings);
    QCOMPARE(ui.tabWidget->tabText(0), QStringLiteral("Settings"));
    QCOMPARE(ui.tabWidget->widget(1), ui.tabTest);
    QCOMPARE(ui.tabWidget->tabText(1), QStringLiteral("Test"));
    QCOMPARE(ui.tabWidget->currentIndex(), 0);
}

void tst_MainForm::widgetStates()
{
    QCOMPARE(ui.cmbSerial->styleSheet(),
             QStringLiteral(
                 "*[code=\"2\"] { color: black; selection-background-color: transparent; }\n"
                 "*[code=\"1\"] { background-color: red; color: white; selection-background-color: transparent; }\n"
                 "*[code=\"0\"] { background-color: green; color: white; selection-background-color: transparent; }"));
    // The port selection sets "code" after its first open attempt; until then no rule applies.
    QVERIFY(!ui.cmbSerial->property("code").isValid());
    QVERIFY(ui.groupBoxAddressing->styleSheet().isEmpty());

    const auto edits = dialog.findChildren<QLineEdit *>();
    for (const QLineEdit *edit : edits) {
        QCOMPARE(edit->isReadOnly(), edit == ui.txtChannelMask);
        QCOMPARE(edit->maxLength(), 32767);
        QVERIFY(edit->inputMask().isEmpty());
        QVERIFY(!edit->validator());
    }

    QCOMPARE(ui.progressBar->value(), 24);
    QVERIFY(!ui.progressBar->isTextVisible());
    QCOMPARE(ui.cmbConfiguration->sizeAdjustPolicy(), QComboBox::AdjustToContents);
    QVERIFY(!ui.rdbTransmitter->isChecked());
    QVERIFY(!ui.rdbReceiver->isChecked());
}

void tst_MainForm::icons_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addColumn<int>("item"); // -1: the button's own icon
    QTest::addColumn<QString>("path");

    const QString fatcow = QStringLiteral(":/fatcow/icons/fatcow/");
    const QString custom = QStringLiteral(":/custom/icons/custom/");
    QTest::newRow("read") << "btnReadSettings" << -1 << fatcow + "update.png";
    QTest::newRow("write") << "btnWriteSettings" << -1 << fatcow + "pencil.png";
    QTest::newRow("custom") << "cmbConfiguration" << 0 << QString();
    QTest::newRow("scoreboard") << "cmbConfiguration" << 1 << custom + "scoreboard.jpg";
    QTest::newRow("windspeed") << "cmbConfiguration" << 2 << custom + "windspeed.png";
    QTest::newRow("channel mask") << "btnConfigureChannelMask" << -1 << fatcow + "calculator.png";
    QTest::newRow("start") << "btnStartTest" << -1 << fatcow + "gun.png";
    QTest::newRow("export") << "btnExportResults" << -1 << fatcow + "export_excel.png";
    QTest::newRow("about") << "btnAbout" << -1 << fatcow + "information.png";
    QTest::newRow("about Qt") << "btnAboutQt" << -1 << custom + "Qt.png";
    QTest::newRow("close") << "btnClose" << -1 << fatcow + "accept_button.png";
    QTest::newRow("transmitter") << "rdbTransmitter" << -1 << QString();
    QTest::newRow("receiver") << "rdbReceiver" << -1 << QString();
}

void tst_MainForm::icons()
{
    QFETCH(QString, widget);
    QFETCH(int, item);
    QFETCH(QString, path);

    const QAbstractButton *button = find<QAbstractButton>(widget);
    const QComboBox *combo = find<QComboBox>(widget);
    QVERIFY(item < 0 ? button != nullptr : combo != nullptr);
    const QIcon icon = item < 0 ? button->icon() : combo->itemIcon(item);
    if (path.isEmpty()) {
        QVERIFY(icon.isNull());
        return;
    }
    QVERIFY2(QFile::exists(path), qPrintable(path + " is not in the resources"));
    QVERIFY(!icon.isNull());
    QCOMPARE(rendered(icon), rendered(QIcon(path)));
}

void tst_MainForm::keepsGivenObjectName_data()
{
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("expected");

    QTest::newRow("unnamed") << QString() << "FendrakeXBeeConfiguratorDialog";
    QTest::newRow("already named") << "settingsDialog"
                                   << "settingsDialog";
}

void tst_MainForm::keepsGivenObjectName()
{
    QFETCH(QString, given);
    QFETCH(QString, expected);

    QDialog named;
    named.setObjectName(given);
    Ui::FendrakeXBeeConfiguratorDialog form;
    form.setupUi(&named);
    QCOMPARE(named.objectName(), expected);
}

QTEST_MAIN(tst_MainForm)
#include "tst_mainform.moc"
