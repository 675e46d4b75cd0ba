#ifndef FILESAVING_H
#define FILESAVING_H

#include <QIODevice>
#include <QString>

#include <functional>

enum class SaveResult { Saved, OpenFailed, WriteFailed };

// Saves what write() puts into the device under fileName (with QIODevice::Text
// in mode, line ends are the platform's). A regular file is replaced only by
// a complete new one, so a failed save leaves an earlier file as it was; a
// device or a pipe is written to directly and never waited for: one that
// cannot take the bytes at once (a named pipe with no reader, a full pipe)
// is a WriteFailed. write() returns false when the device did not take
// everything.
SaveResult saveFile(const QString &fileName, QIODevice::OpenMode mode, const std::function<bool(QIODevice *)> &write);

#endif // FILESAVING_H
