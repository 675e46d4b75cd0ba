#include "messageboxcatcher.h"

#include <QApplication>
#include <QPushButton>

MessageBoxCatcher::MessageBoxCatcher()
{
    clock.start();
    connect(&poller, &QTimer::timeout, this, &MessageBoxCatcher::closeVisibleBoxes);
    poller.start(10);
}

void MessageBoxCatcher::closeVisibleBoxes()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        auto *box = qobject_cast<QMessageBox *>(window);
        if (!box || !box->isVisible())
            continue;
        caught.append({box->icon(), box->windowTitle(), box->text(), clock.elapsed()});
        QAbstractButton *answer = box->defaultButton();
        for (QAbstractButton *button : box->buttons()) {
            if (!preferred.isEmpty() && button->text() == preferred)
                answer = button;
        }
        if (answer)
            answer->click();
        else
            box->done(QMessageBox::Ok);
    }
}
