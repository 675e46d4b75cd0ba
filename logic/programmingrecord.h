#ifndef PROGRAMMINGRECORD_H
#define PROGRAMMINGRECORD_H

#include "logic/commandsession.h"
#include "logic/profilefile.h"
#include "logic/readback.h"

#include <QDateTime>

#include <optional>

// One write that reached command mode, as the programming record keeps it:
// one JSON line per write in programming-log.jsonl, so an installer can
// prove what went into which module.
struct ProgrammingRecord
{
    struct Profile
    {
        QString file; // the name, without its folder
        QString sha256;
    };

    QDateTime time;  // UTC
    QString program; // "tarnowick 1.0.1 (82db844)"
    QString port;
    int baud = 0;
    SettingValues module;           // SH, SL, VR as read back; missing ones left out
    std::optional<Profile> profile; // a loaded profile, unchanged
    SettingValues written;          // acknowledged entries, by command
    QStringList refused;            // "MT=9"
    bool verified = false;          // read back, every value the same, nothing refused
    QList<ReadBack::Mismatch> mismatches;
    bool interrupted = false; // stopped by the user or a signal before the write had ended
    QString reason;           // why not verified, where the refusals and mismatches do not say it

    // The settings a write run's entries gave and the module acknowledged, by command.
    static SettingValues acknowledged(const RunOutcome &write);

    QByteArray toJsonLine() const; // without the line end
    static std::optional<ProgrammingRecord> fromJsonLine(const QByteArray &line);

    // The record of one write for a person: time, serial number, profile, verified or what differed.
    QString historyLine() const;
};

namespace ProgrammingLog {

// programming-log.jsonl in the program's data folder.
QString defaultPath();

// Profile of a file: its name and the SHA-256 of its bytes; nothing when it cannot be read.
std::optional<ProgrammingRecord::Profile> profileOf(const QString &path);

// The profile to name in a record: the one loaded, while the form's values
// (by command, as the fields hold them) still mean what it gave each setting.
std::optional<ProgrammingRecord::Profile> profileIfUnchanged(const QString &path, const SettingValues &loaded,
                                                             const SettingValues &form);

// Whether a line could be appended: the folder is created and the file
// opened for appending, nothing is written. Empty when it can, else the reason.
QString checkAppendable(const QString &path);

// Appends one line. An earlier record is never lost or split: append mode,
// one write, flushed and synced; a missing folder is created. Empty on
// success, else the reason.
QString append(const QString &path, const ProgrammingRecord &record);

// Every record of the file, oldest first; lines that are no record are
// skipped and counted in skipped.
QList<ProgrammingRecord> read(const QString &path, QString *error, int *skipped = nullptr);

} // namespace ProgrammingLog

#endif // PROGRAMMINGRECORD_H
