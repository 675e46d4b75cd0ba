#include "rssimodel.h"

RssiModel::RssiModel(int baseDbm, int jitterDb, quint32 seed)
    : baseDbm(baseDbm)
    , jitterDb(qMax(0, jitterDb))
    , random(seed)
{
}

int RssiModel::next()
{
    const int step = random.bounded(3) - 1;
    offsetDb = qBound(-jitterDb, offsetDb + step, jitterDb);
    return qBound(-255, baseDbm + offsetDb, 0);
}
