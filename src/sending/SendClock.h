#pragma once

#include <atomic>
#include <functional>

// Time as the engine sees it: the one-second steps of pauses and idling, and the waits of the finishing
// steps. Tests scale it down so that a run with pauses of seconds finishes in milliseconds.
class SendClock {
public:
    // scale: real milliseconds per engine millisecond (1.0 in the program).
    explicit SendClock(double scale = 1.0) : m_scale(scale) {}

    // Sleeps ms engine milliseconds, waking early (within a few real ms) when stop() becomes true.
    void Sleep(int ms, const std::function<bool()>& stop = {}) const;
    int RealMs(int ms) const;

private:
    double m_scale;
};
