#ifndef ABOUTDIALOG_H
#define ABOUTDIALOG_H

#include "logic/userlevel.h"

#include <QDialog>
#include <QTimer>

QT_BEGIN_NAMESPACE
namespace Ui {
class AboutDialog;
}
QT_END_NAMESPACE

// Shows the version and build revision. A quick series of clicks on the
// "Version:" label unlocks the full settings view.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget *parent = nullptr);
    ~AboutDialog() override;

    bool eventFilter(QObject *watched, QEvent *event) override;

signals:
    void elevateRights(UserLevel level);

private slots:
    void on_btnOK_clicked();
    void onTimeoutInputSuperUserClicks();

private:
    // Clicks of the gesture, each within clickTimer's interval of the last.
    static constexpr qint32 superUserClicks = 5;

    Ui::AboutDialog *ui = nullptr;
    QTimer clickTimer;
    qint32 remainingClicks = superUserClicks;
};

#endif // ABOUTDIALOG_H
