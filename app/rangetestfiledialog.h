#ifndef RANGETESTFILEDIALOG_H
#define RANGETESTFILEDIALOG_H

#include <QString>

#include <functional>

class QWidget;

using SaveFileNameSource = std::function<QString(QWidget *parent, const QString &caption, const QString &filter)>;

// Asks where to save a file with the platform's save-file dialog; an empty
// answer means the user cancelled.
QString askSaveFileName(QWidget *parent, const QString &caption, const QString &filter);

// Replaces the dialog (tests stand in for the user); an empty function
// brings back the platform's own dialog.
void setSaveFileNameSource(SaveFileNameSource source);

#endif // RANGETESTFILEDIALOG_H
