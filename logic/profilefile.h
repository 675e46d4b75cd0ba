#ifndef PROFILEFILE_H
#define PROFILEFILE_H

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

// Settings by AT command, each value as a write run sends it ("TO" -> "C0").
using SettingValues = QHash<QString, QString>;

// What reading a profile gave: its settings, or the first problem as the
// user is told it ("Unknown setting XY."); problem is empty for a good file.
struct ProfileReading
{
    SettingValues settings;
    QString problem;
};

// Profile files: JSON with the settings a write run sends and, for the
// record only, what the module the settings were read from showed.
namespace ProfileFile {

extern const QString suffix; // "tarnowick-profile", without the dot

// Checks everything before anything is used, so a bad file changes nothing.
ProfileReading parse(const QByteArray &bytes);
ProfileReading read(const QString &path);

// The first value a write run may not send, which is also one the form could
// not open again, as a problem text ("Invalid value for CM: ERROR."); empty
// when all are fine. Save… and Write check with it before anything goes out.
QString invalidValue(const SettingValues &settings);

// The file's bytes: settings and module in catalogue order; an empty module is left out.
QByteArray serialise(const SettingValues &settings, const SettingValues &module);

// The commands of settings whose value the module does not hold, in catalogue order.
QStringList differences(const SettingValues &settings, const SettingValues &module);

} // namespace ProfileFile

#endif // PROFILEFILE_H
