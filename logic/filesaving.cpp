#include "logic/filesaving.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// Everything written must also have been taken: a full disk or a device that
// refuses shows up only when the buffered bytes are flushed.
bool writeAll(QFileDevice &file, const std::function<bool(QIODevice *)> &write)
{
    return write(&file) && file.flush() && file.error() == QFileDevice::NoError;
}

SaveResult saveToDevice(const QString &fileName, QIODevice::OpenMode mode,
                        const std::function<bool(QIODevice *)> &write)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | mode))
        return SaveResult::OpenFailed;
    return writeAll(file, write) ? SaveResult::Saved : SaveResult::WriteFailed;
}

} // namespace

SaveResult saveFile(const QString &fileName, QIODevice::OpenMode mode, const std::function<bool(QIODevice *)> &write)
{
    // A finished file is renamed over a device or a pipe, replacing the node
    // itself where the folder lets us (as root in /dev): never do that.
    const QFileInfo target(fileName);
    if (target.exists() && !target.isFile() && !target.isDir())
        return saveToDevice(fileName, mode, write);

    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | mode))
        return SaveResult::OpenFailed;
    if (!writeAll(file, write))
        return SaveResult::WriteFailed;
    return file.commit() ? SaveResult::Saved : SaveResult::WriteFailed;
}
