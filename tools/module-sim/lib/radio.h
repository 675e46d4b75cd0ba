#ifndef RADIO_H
#define RADIO_H

#include "rssimodel.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QRandomGenerator>
#include <map>

class ModuleCore;

struct RadioConfig
{
    double loss = 0.0;           // share of packets lost, 0 to 1
    int rssiDbm = -70;           // at a module not named below
    QHash<QChar, int> rssiDbmAt; // per receiving module
    int rssiJitterDb = 4;
    quint32 seed = 0;

    int rssiAt(QChar receiver) const { return rssiDbmAt.value(receiver, rssiDbm); }
};

// The air between the modules: a packet one module sends reaches every
// other module on the same PAN ID that shares a channel with it, unless
// the loss model drops it (one throw of the dice per receiver). Each receiver hears at a strength of its own,
// so that the two directions of a link differ.
class Radio : public QObject
{
    Q_OBJECT

public:
    explicit Radio(const RadioConfig &config, QObject *parent = nullptr);

    static bool canHear(const ModuleCore &sender, const ModuleCore &receiver);

    void attach(ModuleCore *module);
    // A module that is switched off neither sends nor receives.
    void detach(ModuleCore *module);

signals:
    void packetDelivered(QChar from, QChar to, const QByteArray &payload, int rssiDbm);
    void packetLost(QChar from, QChar to, const QByteArray &payload);

private:
    void transmit(ModuleCore *sender, const QByteArray &payload);

    QList<ModuleCore *> modules;
    RadioConfig config;
    std::map<QChar, RssiModel> walks; // per receiving module
    QRandomGenerator lossDice;
};

#endif // RADIO_H
