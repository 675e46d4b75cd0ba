#ifndef CONFIGURECHANNELMASKDIALOG_H
#define CONFIGURECHANNELMASKDIALOG_H

#include <QDialog>

QT_BEGIN_NAMESPACE
namespace Ui {
class ConfigureChannelMaskDialog;
}
class QLineEdit;
QT_END_NAMESPACE

// Edits a channel mask as 32 clickable bit cells and as a hexadecimal
// number, kept in step. The opener sets channelMask, calls updateFields(),
// runs the dialog and reads channelMask back.
class ConfigureChannelMaskDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ConfigureChannelMaskDialog(QWidget *parent = nullptr);
    ~ConfigureChannelMaskDialog() override;

    void updateFields();
    bool eventFilter(QObject *watched, QEvent *event) override;

    quint32 channelMask = 0;

private slots:
    void onHexValueChanged(const QString &text);
    void showHelp();

private:
    QLineEdit *bitCell(int bit) const;

    Ui::ConfigureChannelMaskDialog *ui = nullptr;
};

#endif // CONFIGURECHANNELMASKDIALOG_H
