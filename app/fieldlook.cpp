#include "app/fieldlook.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyle>

namespace {

// The field's own tooltip, as the form gave it, kept on the field.
const char helpProperty[] = "fieldHelp";

QString fieldHelp(QLineEdit *field)
{
    if (!field->property(helpProperty).isValid())
        field->setProperty(helpProperty, field->toolTip());
    return field->property(helpProperty).toString();
}

} // namespace

void showReadOnly(QLineEdit *field, bool readOnly, const QString &howToChange)
{
    const QString help = fieldHelp(field);
    field->setReadOnly(readOnly);
    // The window's own background, as a label has: nothing to type into.
    QPalette palette = QGuiApplication::palette();
    if (readOnly)
        palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    field->setPalette(palette);
    if (!readOnly) {
        field->setToolTip(help);
        return;
    }
    const QString hint = QStringLiteral("<p><i>%1</i></p>").arg(howToChange.toHtmlEscaped());
    const int body = help.indexOf(QLatin1String("<body>"));
    field->setToolTip(body < 0 ? QStringLiteral("<html><body>%1<p>%2</p></body></html>").arg(hint, help.toHtmlEscaped())
                               : QString(help).insert(body + 6, hint));
}

void fitListToItems(QComboBox *combo)
{
    QAbstractItemView *list = combo->view();
    const int frame = 2 * list->frameWidth();
    const int scrollBar = list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
    list->setMinimumWidth(list->sizeHintForColumn(0) + frame + scrollBar);
}
