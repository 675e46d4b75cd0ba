#include "escapedetector.h"

namespace {
constexpr int EscapeLength = 3;
}

EscapeDetector::EscapeDetector(qint64 guardMs)
    : guardMs(guardMs)
{
}

void EscapeDetector::setGuardTime(qint64 ms)
{
    guardMs = ms;
}

QByteArray EscapeDetector::feed(char byte, qint64 nowMs)
{
    QByteArray data;
    if (!held.isEmpty()) {
        const bool continuesEscape =
            byte == CommandCharacter && held.size() < EscapeLength && nowMs - *lastInputMs < guardMs;
        if (continuesEscape) {
            held.append(byte);
            lastInputMs = nowMs;
            return data;
        }
        data.swap(held);
    }
    if (byte == CommandCharacter && silentSince(nowMs))
        held.append(byte);
    else
        data.append(byte);
    lastInputMs = nowMs;
    return data;
}

void EscapeDetector::noteActivity(qint64 nowMs)
{
    lastInputMs = nowMs;
}

bool EscapeDetector::poll(qint64 nowMs, QByteArray *released)
{
    if (held.isEmpty() || !silentSince(nowMs))
        return false;
    if (held.size() == EscapeLength) {
        held.clear();
        return true;
    }
    // Too few characters came in time: they were data after all.
    released->append(held);
    held.clear();
    return false;
}

std::optional<qint64> EscapeDetector::deadline() const
{
    if (held.isEmpty())
        return std::nullopt;
    return *lastInputMs + guardMs;
}

bool EscapeDetector::silentSince(qint64 nowMs) const
{
    return !lastInputMs || nowMs - *lastInputMs >= guardMs;
}
