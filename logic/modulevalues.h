#ifndef MODULEVALUES_H
#define MODULEVALUES_H

#include <QHash>
#include <QString>
#include <QStringList>

// What the module on the chosen port holds, as far as the program has seen
// it: the replies of the last Read, updated by every write entry the module
// acknowledged since. Values are by AT command, as the form's fields hold
// them ("C0" for TO, the item index "3" for BD).
class ModuleValues
{
public:
    // Whether a Read has answered since the port was chosen.
    bool isKnown() const { return known; }
    const QHash<QString, QString> &values() const { return held; }

    // A Read begins: its first reply replaces what an earlier Read showed, so
    // a Read that never reaches the module leaves the old values in place.
    void startRead();
    void takeReply(const QString &command, const QString &reply);
    // Ignored until a Read has answered: before it the form has nothing to be compared with.
    void takeWritten(const QString &command, const QString &value);
    // Another port is most likely another module.
    void forget();

    // The written settings of form whose value the module does not hold, in
    // catalogue order. A setting the module has not shown, or an empty field
    // (which a write run leaves out), never differs.
    QStringList differing(const QHash<QString, QString> &form) const;
    // The same comparison with any other set of values.
    static QStringList differing(const QHash<QString, QString> &form, const QHash<QString, QString> &reference);

    // The serial number as one hexadecimal number (SH then SL, which has 8
    // digits); empty when the last Read did not show both halves.
    QString serialNumber() const;

private:
    QHash<QString, QString> held;
    bool known = false;
    bool readStarting = false;
};

#endif // MODULEVALUES_H
