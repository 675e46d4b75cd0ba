#ifndef MODALDRIVER_H
#define MODALDRIVER_H

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>

#include <functional>

// Acts on the modal widget of type T as soon as it is shown, from inside its
// own event loop. A different modal widget is closed after a while, so a
// test fails instead of hanging.
template<typename T> class ModalDriver
{
public:
    explicit ModalDriver(std::function<void(T *)> action)
    {
        clock.start();
        QObject::connect(&poll, &QTimer::timeout, &poll, [this, action] {
            QWidget *modal = QApplication::activeModalWidget();
            if (T *widget = qobject_cast<T *>(modal)) {
                poll.stop();
                found = true;
                action(widget);
            } else if (modal && clock.elapsed() > 5000) {
                modal->close();
            }
        });
        poll.start(10);
    }

    bool found = false;

private:
    QTimer poll;
    QElapsedTimer clock;
};

// Types a path into a file dialog's name field and accepts it, as the user
// does with its Save or Open button; an empty path cancels the dialog.
inline void answerFileDialog(QFileDialog *dialog, const QString &path)
{
    auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    if (path.isEmpty() || !name) {
        dialog->reject();
        return;
    }
    name->setText(path);
    static_cast<QDialog *>(dialog)->accept(); // QFileDialog's own accept() is protected
    // One that refused the name is still open: let the test fail rather than hang.
    dialog->close();
}

#endif // MODALDRIVER_H
