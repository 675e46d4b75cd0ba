#ifndef STATUSLABEL_H
#define STATUSLABEL_H

#include <QLabel>

// A one-line label that never asks its window for more width: a text too
// long for the room it gets is cut short with an ellipsis, and shown whole
// in its tooltip.
class StatusLabel : public QLabel
{
    Q_OBJECT

public:
    explicit StatusLabel(QWidget *parent = nullptr);

    void setFullText(const QString &text);
    QString fullText() const { return full; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void elide();

    QString full;
};

#endif // STATUSLABEL_H
