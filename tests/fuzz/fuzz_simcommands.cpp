// Arbitrary serial input to a simulated module, with time passing between
// bytes: escape sequences, command lines, chains and values of every shape.
// The byte 0xFF followed by n lets n x 50 ms pass.
#include "modulecore.h"

class SteppedClock : public Clock
{
public:
    qint64 nowMs() const override { return now; }
    qint64 now = 1000000;
};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    SteppedClock clock;
    ModuleConfig config;
    config.guardTime = 100;
    ModuleCore module(config, clock);

    QByteArray chunk;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0xFF && i + 1 < size) {
            module.receiveFromHost(chunk);
            chunk.clear();
            clock.now += qint64(data[++i]) * 50;
            module.processTimers();
        } else {
            chunk.append(char(data[i]));
        }
    }
    module.receiveFromHost(chunk);
    clock.now += 20000;
    module.processTimers();
    return 0;
}
