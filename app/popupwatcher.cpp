#include "app/popupwatcher.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {

// The keys with which a non-editable combo box opens its list.
bool opensPopup(const QKeyEvent *key)
{
    switch (key->key()) {
    case Qt::Key_F4:
    case Qt::Key_Space:
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        return key->modifiers() & Qt::AltModifier;
    default:
        return false;
    }
}

} // namespace

PopupWatcher::PopupWatcher(QComboBox *combo)
    : QObject(combo)
{
    combo->installEventFilter(this);
}

bool PopupWatcher::eventFilter(QObject *watched, QEvent *event)
{
    const bool request =
        (event->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
        || (event->type() == QEvent::KeyPress && opensPopup(static_cast<QKeyEvent *>(event)));
    if (request)
        emit popupRequested();
    return QObject::eventFilter(watched, event);
}
