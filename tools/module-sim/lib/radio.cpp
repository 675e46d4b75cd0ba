#include "radio.h"

#include "modulecore.h"

namespace {
// The loss dice and the RSSI walk draw from separate streams, so that
// changing the loss rate does not change the RSSI values of a seed.
constexpr quint32 LossStream = 0x9E3779B9;
} // namespace

Radio::Radio(const RadioConfig &config, QObject *parent)
    : QObject(parent)
    , loss(config.loss)
    , rssi(config.rssiDbm, config.rssiJitterDb, config.seed)
    , lossDice(config.seed ^ LossStream)
{
}

bool Radio::canHear(const ModuleCore &sender, const ModuleCore &receiver)
{
    return sender.panId() == receiver.panId() && (sender.channelMask() & receiver.channelMask()) != 0;
}

void Radio::attach(ModuleCore *module)
{
    if (modules.contains(module))
        return;
    modules.append(module);
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
        if (lossDice.generateDouble() < loss) {
            emit packetLost(sender->letter(), receiver->letter(), payload);
            continue;
        }
        const int rssiDbm = rssi.next();
        emit packetDelivered(sender->letter(), receiver->letter(), payload, rssiDbm);
        receiver->receiveFromRadio(payload, rssiDbm);
    }
}
