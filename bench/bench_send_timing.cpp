// Time per message of a submission against the simulated modem with a network latency (slow:MS), for the
// "fast" and "standard" timing profiles, on both transports. Prints one line per case:
//   transport mode timing: N messages, mean ms/message, overhead beyond the device's own latency
// Usage: bench_send_timing [latency-ms=2000] [messages=5] [standard-messages=2]

#include "modem/CSMSException.h"
#include "sms/SmsTransport.h"
#include "sim/SimModem.h"
#include "sms/SmsRequest.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

namespace {

struct Case {
    const char* transport;
    bool textMode;
    const char* timing;
    int messages;
};

double RunCase(const Case& c, int latencyMs, int* failures) {
    QString error;
    SimModem::Options options;
    options.profile = *SimProfile::Parse(QStringLiteral("slow:%1").arg(latencyMs), &error);
    SimModem sim(options);
    if (!sim.Start(&error)) {
        std::fprintf(stderr, "simulator: %s\n", qPrintable(error));
        return -1;
    }
    SmsRequest request;
    request.recipientNumber = QStringLiteral("+15551234567");
    request.message = QStringLiteral("Your appointment is confirmed for 10:30 tomorrow. Reply STOP to opt out.");
    const ModemTiming timing = *ModemTiming::ByName(QLatin1String(c.timing));
    QElapsedTimer timer;
    *failures = 0;
    const std::unique_ptr<SmsTransport> port =
        MakeSmsTransport(QLatin1String(c.transport) != QLatin1String("overlapped"));
    port->SetTiming(timing);
    port->Open(sim.PortName());
    timer.start();
    for (int i = 0; i < c.messages; ++i) {
        try {
            port->Submit(request, c.textMode ? SmsMode::Text : SmsMode::Pdu);
        } catch (const CSMSException&) {
            ++*failures;
        }
    }
    return static_cast<double>(timer.nsecsElapsed()) / 1e6 / c.messages;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int latency = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int messages = argc > 2 ? std::atoi(argv[2]) : 5;
    const int standardMessages = argc > 3 ? std::atoi(argv[3]) : 2;
    const Case cases[] = {
        {"overlapped", false, "fast", messages},         {"overlapped", true, "fast", messages},
        {"non-overlapped", false, "fast", messages},     {"non-overlapped", true, "fast", messages},
        {"overlapped", false, "standard", standardMessages}, {"overlapped", true, "standard", standardMessages},
        {"non-overlapped", false, "standard", standardMessages},
    };
    std::printf("device latency %d ms per submission (simulator slow:%d)\n", latency, latency);
    for (const Case& c : cases) {
        int failures = 0;
        const double ms = RunCase(c, latency, &failures);
        std::printf("%-15s %-4s %-8s: %d messages, %8.1f ms/message, %7.1f ms beyond the device, %5.1f%% of the "
                    "device-bound rate, %d failed\n",
                    c.transport, c.textMode ? "text" : "pdu", c.timing, c.messages, ms, ms - latency,
                    100.0 * latency / ms, failures);
    }
    return 0;
}
