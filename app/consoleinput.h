#ifndef CONSOLEINPUT_H
#define CONSOLEINPUT_H

#include "logic/commandhistory.h"

#include <QObject>

class QLineEdit;

// Up and Down in the console's line edit bring back the lines last sent.
class ConsoleInput : public QObject
{
    Q_OBJECT

public:
    explicit ConsoleInput(QLineEdit *edit);

    // The line just sent; the edit is emptied for the next.
    void sent(const QString &line);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *edit;
    CommandHistory history;
};

#endif // CONSOLEINPUT_H
