#include "app/fendrakexbeeconfiguratordialog.h"

#include <QCoreApplication>
#include <QLayout>

#include <algorithm>

// The window grows when something it shows needs the room (the chart, the
// Guru view's fields) and gives that room back when it goes, keeping any
// height the user added by hand. Texts never widen it: long ones are shortened.

namespace {

int nesting(const QWidget *widget)
{
    int levels = 0;
    for (; widget; widget = widget->parentWidget())
        ++levels;
    return levels;
}

} // namespace

int FendrakeXBeeConfiguratorDialog::neededHeight() const
{
    // A hidden field tells its group box at once, the widgets above it only
    // through posted requests, one level at a time: settle them from the
    // innermost out, so the window's minimum is up to date now.
    QList<QWidget *> widgets = findChildren<QWidget *>();
    widgets.append(const_cast<FendrakeXBeeConfiguratorDialog *>(this));
    std::stable_sort(widgets.begin(), widgets.end(),
                     [](const QWidget *a, const QWidget *b) { return nesting(a) > nesting(b); });
    for (QWidget *widget : std::as_const(widgets)) {
        QCoreApplication::sendPostedEvents(widget, QEvent::LayoutRequest);
        if (widget->layout())
            widget->layout()->activate();
    }
    return layout()->totalMinimumSize().height();
}

void FendrakeXBeeConfiguratorDialog::takeBackHeight(int neededBefore)
{
    const int needed = neededHeight();
    if (needed >= neededBefore)
        return;
    // As tall as before the hidden widgets came, or as the contents want, never taller than now.
    const int fitting = qMax(height() - (neededBefore - needed), qMax(needed, sizeHint().height()));
    resize(width(), qMin(height(), fitting));
}
