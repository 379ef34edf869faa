// Time per message of a submission against the simulated modem with a network latency (slow:MS), for the
// "fast" and "standard" timing profiles, on both transports. An optional device profile adds what real USB
// modems do (replies in pieces, unsolicited lines, a delay per command), e.g. pieces:30-80,urc:500,cmddelay:100.
// "fast" runs twice: preparing the port before every message (as it did before it prepared once per opened port)
// and once. Prints one line per case:
//   transport mode timing preparation: N messages, ms/message, ms beyond the network, messages per minute,
//   commands per message
// Usage: bench_send_timing [latency-ms=2000] [messages=5] [standard-messages=2] [device-profile] [parts=1]

#include "modem/CSMSException.h"
#include "sim/SimModem.h"
#include "sms/SmsRequest.h"
#include "sms/SmsTransport.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

struct Case {
    const char* transport;
    bool textMode;
    const char* timing;
    int messages;
    bool perMessage = false; // "fast" as it was: the mode and parameters given again before every message
};

struct Figures {
    double msPerMessage = 0;
    double commandsPerMessage = 0;
    int failures = 0;
};

const char* const kShortText = "Your appointment is confirmed for 10:30 tomorrow. Reply STOP to opt out.";

Figures RunCase(const Case& c, const QString& profile, int parts) {
    Figures figures;
    QString error;
    SimModem::Options options;
    const std::optional<SimProfile> parsed = SimProfile::Parse(profile, &error);
    if (!parsed) {
        std::fprintf(stderr, "profile: %s\n", qPrintable(error));
        std::exit(2);
    }
    options.profile = *parsed;
    SimModem sim(options);
    if (!sim.Start(&error)) {
        std::fprintf(stderr, "simulator: %s\n", qPrintable(error));
        std::exit(1);
    }
    SmsRequest request;
    request.recipientNumber = QStringLiteral("+15551234567");
    // Several parts: 150 characters each (the text-mode piece; in PDU mode they fill one part each too).
    request.message = parts > 1 ? QString(150 * parts, QLatin1Char('a')) : QString::fromLatin1(kShortText);
    request.UseCallerSettings = 1;
    ModemTiming timing = *ModemTiming::ByName(QLatin1String(c.timing));
    if (c.perMessage)
        timing.prepareOnce = false;
    const std::unique_ptr<SmsTransport> port =
        MakeSmsTransport(QLatin1String(c.transport) != QLatin1String("overlapped"));
    port->SetTiming(timing);
    port->Open(sim.PortName());
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < c.messages; ++i) {
        try {
            port->Submit(request, c.textMode ? SmsMode::Text : SmsMode::Pdu);
        } catch (const CSMSException&) {
            ++figures.failures;
        }
    }
    figures.msPerMessage = static_cast<double>(timer.nsecsElapsed()) / 1e6 / c.messages;
    figures.commandsPerMessage = static_cast<double>(sim.CommandsReceived().size()) / c.messages;
    return figures;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int latency = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int messages = argc > 2 ? std::atoi(argv[2]) : 5;
    const int standardMessages = argc > 3 ? std::atoi(argv[3]) : 2;
    const QString device = argc > 4 ? QString::fromLocal8Bit(argv[4]) : QString();
    const int parts = argc > 5 ? std::max(1, std::atoi(argv[5])) : 1;
    QString profile = QStringLiteral("slow:%1").arg(latency);
    if (!device.isEmpty() && device != QLatin1String("default"))
        profile += QLatin1Char(',') + device;
    const Case cases[] = {
        {"overlapped", false, "fast", messages, true},   {"overlapped", true, "fast", messages, true},
        {"non-overlapped", false, "fast", messages, true}, {"non-overlapped", true, "fast", messages, true},
        {"overlapped", false, "fast", messages},         {"overlapped", true, "fast", messages},
        {"non-overlapped", false, "fast", messages},     {"non-overlapped", true, "fast", messages},
        {"overlapped", false, "standard", standardMessages}, {"overlapped", true, "standard", standardMessages},
        {"non-overlapped", false, "standard", standardMessages},
    };
    std::printf("simulated modem \"%s\": %d ms network latency per submission, %d part(s) per message\n",
                qPrintable(profile), latency, parts);
    for (const Case& c : cases) {
        const Figures f = RunCase(c, profile, parts);
        const double networkMs = static_cast<double>(latency) * parts;
        std::printf("%-15s %-4s %-8s %-11s: %d messages, %8.1f ms/message, %7.1f ms beyond the network, %6.1f messages/min, "
                    "%4.1f commands/message, %d failed\n",
                    c.transport, c.textMode ? "text" : "pdu", c.timing, c.perMessage || QLatin1String(c.timing) == QLatin1String("standard") ? "per message" : "once",
                    c.messages, f.msPerMessage,
                    f.msPerMessage - networkMs, 60000.0 / f.msPerMessage, f.commandsPerMessage, f.failures);
    }
    return 0;
}
