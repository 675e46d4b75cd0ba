#ifndef REGISTERBANK_H
#define REGISTERBANK_H

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QString>

enum class RegisterKind {
    Setting,  // hexadecimal value that the host may set
    ReadOnly, // hexadecimal value that only the module itself changes
    Text      // printable text (the node identifier)
};

struct RegisterDefinition
{
    const char *name;
    RegisterKind kind;
    quint32 minimum;
    quint32 maximum;
    quint32 defaultValue;
    quint32 allowedBits; // a set value may carry no other bits
};

// The module's parameters as the AT commands see them: one value per
// two-letter name, checked against the module's ranges on every set.
class RegisterBank
{
public:
    explicit RegisterBank(quint32 serialLow = 0);

    static const RegisterDefinition *find(const QByteArray &name);
    // The registers that WR keeps, in catalogue order.
    static QList<QByteArray> storedNames();
    static bool parseHex(const QByteArray &text, quint32 *value);

    // The reply to a query, without the carriage return.
    QByteArray query(const QByteArray &name) const;
    // False for a read-only register or a value that the module refuses.
    bool set(const QByteArray &name, const QByteArray &parameter);
    quint32 value(const QByteArray &name) const;
    void setReadOnly(const QByteArray &name, quint32 value);
    // Every setting back to its factory value; the serial number and the
    // last RSSI are no settings.
    void restoreDefaults();

    QJsonObject storedState() const;
    // All or nothing: on a bad entry the bank is left as it was.
    bool restore(const QJsonObject &state, QString *error);

private:
    QHash<QByteArray, quint32> values;
    QByteArray nodeIdentifier;
};

#endif // REGISTERBANK_H
