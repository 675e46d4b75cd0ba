#include "catalogue/presets.h"

namespace Presets {

namespace {

// Item 1 Scoreboard, item 2 WindSpeed: they differ in the PAN ID alone, which
// is also how a module read back is recognised as set up for one of them.
const QString panIds[] = {QStringLiteral("3333"), QStringLiteral("4444")};

// Channels 10 to 23 and 25 to 29.
const QString channelMask = QStringLiteral("3EFFFC00");

} // namespace

const QHash<QString, QString> &common()
{
    static const QHash<QString, QString> values = {
        {QStringLiteral("DH"), QStringLiteral("0")},  {QStringLiteral("DL"), QStringLiteral("FFFF")},
        {QStringLiteral("TO"), QStringLiteral("40")}, {QStringLiteral("MT"), QStringLiteral("0")},
        {QStringLiteral("AP"), QStringLiteral("0")},  {QStringLiteral("BD"), QStringLiteral("3")},
        {QStringLiteral("NB"), QStringLiteral("0")},  {QStringLiteral("SB"), QStringLiteral("0")},
        {QStringLiteral("RO"), QStringLiteral("3")},
    };
    return values;
}

QHash<QString, QString> named(int configuration)
{
    if (configuration < 1 || configuration > int(std::size(panIds)))
        return {};
    return {{QStringLiteral("CM"), channelMask}, {QStringLiteral("ID"), panIds[configuration - 1]}};
}

int forPanId(const QString &panId)
{
    for (int i = 0; i < int(std::size(panIds)); ++i) {
        if (panId == panIds[i])
            return i + 1;
    }
    return 0;
}

} // namespace Presets
