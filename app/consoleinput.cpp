#include "app/consoleinput.h"

#include <QKeyEvent>
#include <QLineEdit>

ConsoleInput::ConsoleInput(QLineEdit *edit)
    : QObject(edit)
    , edit(edit)
{
    edit->installEventFilter(this);
}

void ConsoleInput::sent(const QString &line)
{
    history.add(line);
    edit->clear();
}

bool ConsoleInput::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != edit || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent *>(event)->key();
    if (key != Qt::Key_Up && key != Qt::Key_Down)
        return false;
    const std::optional<QString> line = key == Qt::Key_Up ? history.older(edit->text()) : history.newer();
    if (line)
        edit->setText(*line);
    return true;
}
