#include "radio.h"

#include "modulecore.h"

#include <algorithm>

namespace {
// The loss dice and the RSSI walk draw from separate streams, so that
// changing the loss rate does not change the RSSI values of a seed.
constexpr quint32 LossStream = 0x9E3779B9;
} // namespace

Radio::Radio(const RadioConfig &config, QObject *parent)
    : QObject(parent)
    , config(config)
    , lossDice(config.seed ^ LossStream)
{
}

bool Radio::canHear(const ModuleCore &sender, const ModuleCore &receiver)
{
    return sender.panId() == receiver.panId() && (sender.channelMask() & receiver.channelMask()) != 0
        && !receiver.isAsleep();
}

void Radio::attach(ModuleCore *module)
{
    if (modules.contains(module))
        return;
    // In letter order, however they were switched on: the receivers of one
    // packet draw the loss dice in this order, so a seed gives the same
    // outcomes after a module was unplugged and plugged in again.
    const auto after = std::find_if(modules.begin(), modules.end(),
                                    [module](const ModuleCore *other) { return other->letter() > module->letter(); });
    modules.insert(after, module);
    // Each receiver walks on a stream of its own: A on the seed itself.
    const QChar letter = module->letter();
    walks.try_emplace(letter, config.rssiAt(letter), config.rssiJitterDb,
                      config.seed + quint32(letter.unicode() - u'A'));
    connect(module, &ModuleCore::radioTransmit, this,
            [this, module](const QByteArray &payload) { transmit(module, payload); });
}

void Radio::detach(ModuleCore *module)
{
    modules.removeAll(module);
    disconnect(module, nullptr, this, nullptr);
}

void Radio::transmit(ModuleCore *sender, const QByteArray &payload)
{
    for (ModuleCore *receiver : std::as_const(modules)) {
        if (receiver == sender || !canHear(*sender, *receiver))
            continue;
        if (lossDice.generateDouble() < config.loss) {
            emit packetLost(sender->letter(), receiver->letter(), payload);
            continue;
        }
        const int rssiDbm = walks.at(receiver->letter()).next();
        emit packetDelivered(sender->letter(), receiver->letter(), payload, rssiDbm);
        receiver->receiveFromRadio(payload, rssiDbm);
    }
}
