#ifndef POPUPWATCHER_H
#define POPUPWATCHER_H

#include <QObject>

class QComboBox;

// Tells when a combo box is about to open its list, before the combo box
// itself reacts, so the list can be brought up to date first.
class PopupWatcher : public QObject
{
    Q_OBJECT

public:
    explicit PopupWatcher(QComboBox *combo);

signals:
    void popupRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

#endif // POPUPWATCHER_H
