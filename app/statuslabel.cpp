#include "app/statuslabel.h"

StatusLabel::StatusLabel(QWidget *parent)
    : QLabel(parent)
{
    // Texts name values and files, never markup.
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

void StatusLabel::setFullText(const QString &text)
{
    // One line, whatever a file name or a reason may hold.
    full = QString(text).replace(QLatin1Char('\n'), QLatin1Char(' '));
    setToolTip(full);
    elide();
}

void StatusLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    elide();
}

void StatusLabel::elide()
{
    setText(fontMetrics().elidedText(full, Qt::ElideRight, contentsRect().width()));
}
