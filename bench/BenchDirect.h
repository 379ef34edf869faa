#pragma once

// Submissions made directly through the ports, one thread per modem: what the modems cost without the engine,
// the baseline the engine's and the gateways' figures are compared with.

#include "sim/SimModem.h"
#include "sms/SerialPortTransport.h"
#include "sms/SmsRequest.h"

#include <QElapsedTimer>

#include <memory>
#include <thread>
#include <vector>

inline const QString kBenchMessage =
    QStringLiteral("Your appointment is confirmed for 10:30 tomorrow. Reply STOP to opt out.");

inline QString BenchNumber(int i) {
    return QStringLiteral("+4477009%1").arg(i, 5, 10, QLatin1Char('0'));
}

// Rows 0..rows-1 spread over the modems; the wall time in seconds.
inline double DirectSubmissions(const std::vector<std::unique_ptr<SimModem>>& sims, int rows,
                                const ModemTiming& timing) {
    QElapsedTimer timer;
    timer.start();
    std::vector<std::thread> threads;
    const int count = static_cast<int>(sims.size());
    for (int m = 0; m < count; ++m) {
        threads.emplace_back([&, m] {
            SerialPortTransport port;
            port.SetTiming(timing);
            port.Open(sims[static_cast<size_t>(m)]->PortName());
            SmsRequest request;
            request.message = kBenchMessage;
            for (int i = m; i < rows; i += count) {
                request.recipientNumber = BenchNumber(i);
                try {
                    port.Submit(request, SmsMode::Pdu);
                } catch (...) {
                }
            }
        });
    }
    for (auto& t : threads)
        t.join();
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}
