#ifndef MESSAGEBOXCATCHER_H
#define MESSAGEBOXCATCHER_H

#include <QElapsedTimer>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QTimer>

// Plays the user in front of modal message boxes: while it lives, every
// message box that appears is recorded and answered with its default button,
// or with the button named by press() where a box has one.
class MessageBoxCatcher : public QObject
{
public:
    struct Box
    {
        QMessageBox::Icon icon;
        QString title;
        QString text;
        qint64 shownAtMs; // since the catcher was made
    };

    MessageBoxCatcher();

    const QList<Box> &boxes() const { return caught; }
    int count() const { return int(caught.size()); }
    void clear() { caught.clear(); }
    void press(const QString &buttonText) { preferred = buttonText; }

private:
    void closeVisibleBoxes();

    QTimer poller;
    QElapsedTimer clock;
    QList<Box> caught;
    QString preferred;
};

#endif // MESSAGEBOXCATCHER_H
