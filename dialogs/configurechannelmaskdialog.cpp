#include "dialogs/configurechannelmaskdialog.h"
#include "ui_configurechannelmaskdialog.h"

#include "logic/channelmask.h"

#include <QEvent>
#include <QMessageBox>
#include <QStyle>

static const char bitIndexProperty[] = "bitIndex";
static const char codeProperty[] = "code";

ConfigureChannelMaskDialog::ConfigureChannelMaskDialog(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::ConfigureChannelMaskDialog)
{
    ui->setupUi(this);

    for (int bit = 0; bit < 32; ++bit) {
        QLineEdit *cell = bitCell(bit);
        if (!cell)
            continue;
        cell->setProperty(bitIndexProperty, bit);
        cell->setStyleSheet(QStringLiteral(
            "*[code='0'] { color: black; selection-background-color: transparent; } "
            "*[code='1'] { background-color: green; color: white; selection-background-color: transparent; }"));
        cell->setReadOnly(true);
        cell->setMaximumWidth(20);
        cell->setAlignment(Qt::AlignHCenter);
        // Cells are switched by a press only; a cursor in them would suggest typing.
        cell->setFocusPolicy(Qt::NoFocus);
        cell->installEventFilter(this);
    }
    updateFields();

    connect(ui->txtHexValue, &QLineEdit::textChanged, this, &ConfigureChannelMaskDialog::onHexValueChanged);
    connect(ui->btnHelp, &QPushButton::clicked, this, &ConfigureChannelMaskDialog::showHelp);
    connect(ui->btnOk, &QPushButton::clicked, this, &ConfigureChannelMaskDialog::accept);

    resize(sizeHint());
}

ConfigureChannelMaskDialog::~ConfigureChannelMaskDialog()
{
    delete ui;
}

QLineEdit *ConfigureChannelMaskDialog::bitCell(int bit) const
{
    return findChild<QLineEdit *>(QStringLiteral("txtBit%1").arg(bit));
}

void ConfigureChannelMaskDialog::updateFields()
{
    for (int bit = 0; bit < 32; ++bit) {
        QLineEdit *cell = bitCell(bit);
        if (!cell)
            continue;
        const QString value = (channelMask >> bit) & 1u ? QStringLiteral("1") : QStringLiteral("0");
        cell->setText(value);
        cell->setProperty(codeProperty, value);
        // The style sheet selects on the property, so the new colour shows
        // only after the style has looked at the cell again.
        cell->style()->unpolish(cell);
        cell->style()->polish(cell);
    }
    // Writing the text comes back through onHexValueChanged, which clears
    // any bit the opener set that is not a channel.
    ui->txtHexValue->setText(ChannelMask::format(channelMask));
}

void ConfigureChannelMaskDialog::onHexValueChanged(const QString &text)
{
    // Half-typed or wrong text stays as it is until it reads as a number.
    const std::optional<quint32> typed = ChannelMask::parse(text);
    if (!typed)
        return;
    channelMask = ChannelMask::clamped(*typed);
    updateFields();
}

bool ConfigureChannelMaskDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::MouseButtonPress || !qobject_cast<QLineEdit *>(watched))
        return QDialog::eventFilter(watched, event);

    bool ok = false;
    const int bit = watched->property(bitIndexProperty).toInt(&ok);
    if (ok && ChannelMask::isAllowed(bit)) {
        channelMask = ChannelMask::toggled(channelMask, bit);
        updateFields();
    }
    // Presses on cells that are no channel are swallowed as well.
    return true;
}

void ConfigureChannelMaskDialog::showHelp()
{
    QMessageBox::information(nullptr, tr("Channel Mask Help"),
                             tr("Each bit represents an RF frequency band channel. A channel has a width of 0.2 MHz. "
                                "Channel 9 and 24 are excluded.\n\n"
                                "Channel 0 = 863.15 MHz\n"
                                "Channel 1 = 863.35 MHz\n"
                                "Channel 2 = 863.55 MHz\n"
                                "...\n"
                                "Channel 9 = N/A\n"
                                "...\n"
                                "Channel 23 = 867.75 MHz\n"
                                "Channel 24 = N/A\n"
                                "Channel 25 = 868.15 MHz\n"
                                "Channel 26 = 868.35 MHz\n"
                                "Channel 27 = 868.85 MHz\n"
                                "Channel 28 = 869.05 MHz\n"
                                "Channel 29 = 869.85 MHz"));
}
