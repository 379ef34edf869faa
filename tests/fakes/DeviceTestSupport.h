#pragma once

// Shared set-up of the device tests: simulated modems on real pseudo-terminals, short time-outs.

#include "modem/ModemTiming.h"
#include "sim/SimModem.h"

#include <gtest/gtest.h>

#include <memory>

namespace DeviceTest {

// The reply time-out (silence limit) the tests open ports with, shortened from 1000 / 5000 ms.
constexpr int kReplyTimeoutMs = 200;

// Submissions wait for the device's own replies instead of the standard profile's fixed sleeps.
inline ModemTiming Timing() {
    ModemTiming t = ModemTiming::Fast();
    t.promptLimitMs = 2000;
    t.finalResultLimitMs = 3000;
    t.irdaLineSilenceMs = kReplyTimeoutMs;
    t.irdaWriteStallMs = kReplyTimeoutMs;
    return t;
}

inline std::unique_ptr<SimModem> StartSim(const QString& profile = QStringLiteral("default"),
                                          const QString& imei = QString()) {
    QString error;
    const std::optional<SimProfile> parsed = SimProfile::Parse(profile, &error);
    EXPECT_TRUE(parsed.has_value()) << error.toStdString();
    SimModem::Options options;
    options.profile = parsed.value_or(SimProfile{});
    if (!imei.isEmpty())
        options.identity.imei = imei;
    auto sim = std::make_unique<SimModem>(options);
    EXPECT_TRUE(sim->Start(&error)) << error.toStdString();
    return sim;
}

// The command lines the modem received that start with prefix.
inline int CountCommands(const SimModem& sim, const QString& prefix) {
    int n = 0;
    for (const QString& c : sim.CommandsReceived())
        n += c.startsWith(prefix) ? 1 : 0;
    return n;
}

} // namespace DeviceTest
