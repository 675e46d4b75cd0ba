#include "catalogue/atcommands.h"

const QStringList atCommandList = {
    QStringLiteral("VR"), QStringLiteral("VH"), QStringLiteral("HV"), QStringLiteral("TO"), QStringLiteral("CM"),
    QStringLiteral("ID"), QStringLiteral("MT"), QStringLiteral("SH"), QStringLiteral("SL"), QStringLiteral("DL"),
    QStringLiteral("DH"), QStringLiteral("NI"), QStringLiteral("PL"), QStringLiteral("RR"), QStringLiteral("CE"),
    QStringLiteral("BD"), QStringLiteral("NB"), QStringLiteral("SB"), QStringLiteral("RO"), QStringLiteral("AP"),
};
