#ifndef RSSIMODEL_H
#define RSSIMODEL_H

#include <QRandomGenerator>

// Signal strength of successive packets: a slow random walk of at most
// one dB per packet, never further than the jitter from the base value.
// The same seed gives the same sequence.
class RssiModel
{
public:
    RssiModel(int baseDbm, int jitterDb, quint32 seed);

    int next();

private:
    int baseDbm;
    int jitterDb;
    int offsetDb = 0;
    QRandomGenerator random;
};

#endif // RSSIMODEL_H
