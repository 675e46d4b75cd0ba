#include "app/rangetestfiledialog.h"

#include <QFileDialog>

namespace {

SaveFileNameSource &saveFileNameSource()
{
    static SaveFileNameSource source;
    return source;
}

} // namespace

QString askSaveFileName(QWidget *parent, const QString &caption, const QString &filter)
{
    if (saveFileNameSource())
        return saveFileNameSource()(parent, caption, filter);
    return QFileDialog::getSaveFileName(parent, caption, QString(), filter);
}

void setSaveFileNameSource(SaveFileNameSource source)
{
    saveFileNameSource() = std::move(source);
}
