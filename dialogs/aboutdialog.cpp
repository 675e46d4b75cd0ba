#include "dialogs/aboutdialog.h"
#include "ui_aboutdialog.h"

#include "buildrevision.h"

#include <QEvent>
#include <QFontMetrics>

AboutDialog::AboutDialog(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::AboutDialog)
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("About"));
    const QString version =
        QStringLiteral("%1 (%2)").arg(QStringLiteral(TARNOWICK_VERSION), QStringLiteral(TARNOWICK_REVISION));
    ui->txtVersion->setText(version);
    // A revision such as "v1.0.1-12-g3a4b5c6-dirty" stays readable in full
    // after the box has shrunk to its contents; two more characters leave
    // room for the frame.
    const QFontMetrics metrics = ui->txtVersion->fontMetrics();
    ui->txtVersion->setMinimumWidth(metrics.horizontalAdvance(version) + 2 * metrics.averageCharWidth());

    clickTimer.setSingleShot(true);
    clickTimer.setInterval(500);
    connect(&clickTimer, SIGNAL(timeout()), this, SLOT(onTimeoutInputSuperUserClicks()));

    ui->lblVersion->installEventFilter(this);
    adjustSize();
}

AboutDialog::~AboutDialog()
{
    delete ui;
}

bool AboutDialog::eventFilter(QObject *watched, QEvent *event)
{
    const bool click = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
    if (watched != ui->lblVersion || !click)
        return QDialog::eventFilter(watched, event);

    // A pause of one interval after any click starts the gesture over.
    clickTimer.start();
    --remainingClicks;
    if (remainingClicks == 0)
        emit elevateRights(Guru);
    return true;
}

void AboutDialog::on_btnOK_clicked()
{
    accept();
}

void AboutDialog::onTimeoutInputSuperUserClicks()
{
    remainingClicks = superUserClicks;
}
