#ifndef READBACK_H
#define READBACK_H

#include "logic/profilefile.h"

#include <QCoreApplication>
#include <QList>
#include <QPair>

// What a write is checked with: an "OK" per entry says the module took a
// value, not that it holds it after WR, so every setting written is asked
// for again, with the module's serial number and firmware for the record.
class ReadBack
{
    Q_DECLARE_TR_FUNCTIONS(ReadBack)

public:
    struct Mismatch
    {
        QString command;
        QString written;
        QString read;
    };

    // The queries: each written setting in catalogue order, then SH, SL and VR.
    static QStringList queries(const SettingValues &written);
    // SH, SL and VR alone: who the module is, for the record of a write not read back.
    static const QStringList &identityQueries();

    // Compares the replies (query and reply, as a run gives them) with what
    // was written; incomplete when a query got no reply.
    ReadBack(const SettingValues &written, const QList<QPair<QString, QString>> &replies);

    bool complete() const { return isComplete; }
    bool matches() const { return isComplete && mismatchList.isEmpty(); }
    const QList<Mismatch> &mismatches() const { return mismatchList; }
    const SettingValues &module() const { return moduleIdentity; } // SH, SL, VR as read

    // "Read back: all 11 settings match." / "Read back: CM holds 3EFFFC00, not 3EFFFDFF."
    // / "Read back failed: the module did not answer."
    QString summary() const;

private:
    SettingValues written;
    SettingValues moduleIdentity;
    QList<Mismatch> mismatchList;
    bool isComplete = false;
};

#endif // READBACK_H
