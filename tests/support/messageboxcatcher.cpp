#include "messageboxcatcher.h"

#include <QApplication>
#include <QPushButton>

MessageBoxCatcher::MessageBoxCatcher()
{
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
        caught.append({box->icon(), box->windowTitle(), box->text()});
        if (QAbstractButton *button = box->defaultButton())
            button->click();
        else
            box->done(QMessageBox::Ok);
    }
}
