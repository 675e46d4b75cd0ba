#ifndef MESSAGEBOXCATCHER_H
#define MESSAGEBOXCATCHER_H

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QTimer>

// Plays the user in front of modal message boxes: while it lives, every
// message box that appears is recorded and answered with its default button.
class MessageBoxCatcher : public QObject
{
public:
    struct Box
    {
        QMessageBox::Icon icon;
        QString title;
        QString text;
    };

    MessageBoxCatcher();

    const QList<Box> &boxes() const { return caught; }
    int count() const { return int(caught.size()); }
    void clear() { caught.clear(); }

private:
    void closeVisibleBoxes();

    QTimer poller;
    QList<Box> caught;
};

#endif // MESSAGEBOXCATCHER_H
