#include "cli/interrupts.h"

#include <csignal>
#include <cstdlib>

namespace {

volatile std::sig_atomic_t received = 0;

extern "C" void onSignal(int)
{
    // Only what is safe in a signal handler: a flag, or leaving at once.
    if (received)
        std::_Exit(130);
    received = 1;
}

// How soon a signal is acted on; the job then needs a reply or two to leave command mode.
constexpr int pollIntervalMs = 20;

} // namespace

Interrupts::Interrupts(QObject *parent)
    : QObject(parent)
{
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
#ifdef SIGHUP
    std::signal(SIGHUP, onSignal);
#endif
    connect(&timer, &QTimer::timeout, this, &Interrupts::poll);
    timer.start(pollIntervalMs);
}

void Interrupts::poll()
{
    if (!received || reported)
        return;
    reported = true;
    emit interrupted();
}
