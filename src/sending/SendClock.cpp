#include "sending/SendClock.h"

#include <chrono>
#include <thread>

int SendClock::RealMs(int ms) const { return static_cast<int>(ms * m_scale + 0.5); }

void SendClock::Sleep(int ms, const std::function<bool()>& stop) const {
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + microseconds(static_cast<long long>(ms * m_scale * 1000.0));
    for (;;) {
        if (stop && stop())
            return;
        const auto now = steady_clock::now();
        if (now >= deadline)
            return;
        std::this_thread::sleep_for(std::min<steady_clock::duration>(deadline - now, milliseconds(20)));
    }
}
