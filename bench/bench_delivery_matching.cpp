// Matches 1,000,000 status reports to 1,000,000 sent messages spread over 32 devices (message references
// wrapping at 255 on each), the reports arriving in a shuffled order within windows of 1,000. Prints the time
// to register the messages and the time to match the reports; exit status 1 when a report found no message.
#include "BenchMeasure.h"

#include "sending/DeliveryMatcher.h"

#include <QCoreApplication>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    constexpr int kMessages = 1000000;
    constexpr int kDevices = 32;
    QStringList devices;
    for (int d = 0; d < kDevices; ++d)
        devices << QStringLiteral("/dev/ttyUSB%1").arg(d);
    struct Sent {
        int device;
        int reference;
        QString number;
    };
    std::vector<Sent> sent;
    sent.reserve(kMessages);
    std::vector<int> nextReference(kDevices, 0);
    std::mt19937 random(7);
    for (int i = 0; i < kMessages; ++i) {
        const int device = i % kDevices;
        // National numbers sent; the reports give the international form.
        sent.push_back({device, nextReference[device]++ % 256,
                        QStringLiteral("07%1").arg(std::uniform_int_distribution<int>(0, 999999999)(random), 9, 10,
                                                   QLatin1Char('0'))});
    }
    std::vector<int> order(kMessages);
    for (int i = 0; i < kMessages; ++i)
        order[i] = i;
    for (int start = 0; start < kMessages; start += 1000)
        std::shuffle(order.begin() + start, order.begin() + std::min(kMessages, start + 1000), random);
    std::vector<QString> reported(kMessages);
    for (int i = 0; i < kMessages; ++i)
        reported[i] = QStringLiteral("+44") + sent[i].number.mid(1);

    DeliveryMatcher matcher(NumberComparison::ForCountry(u"GB"));
    const auto startExpect = std::chrono::steady_clock::now();
    const double cpuExpect = CpuSeconds();
    matcher.Reserve(kMessages);
    for (int i = 0; i < kMessages; ++i)
        matcher.Expect(i, devices[sent[i].device], sent[i].number, {sent[i].reference});
    const double expectSeconds = SecondsSince(startExpect);
    const double expectCpu = CpuSeconds() - cpuExpect;

    const auto startMatch = std::chrono::steady_clock::now();
    const double cpuMatch = CpuSeconds();
    int matched = 0;
    for (int i : order) {
        const auto outcome = matcher.Match(devices[sent[i].device], sent[i].reference, reported[i], TpStatus{0});
        if (outcome && outcome->changed)
            ++matched;
    }
    const double matchSeconds = SecondsSince(startMatch);
    const double matchCpu = CpuSeconds() - cpuMatch;

    std::printf("messages registered: %d in %.3f s (cpu %.3f s)\n", kMessages, expectSeconds, expectCpu);
    std::printf("reports matched: %d of %d in %.3f s (cpu %.3f s)\n", matched, kMessages, matchSeconds, matchCpu);
    std::printf("peak RSS: %ld KiB\n", PeakRssKiB());
    return matched == kMessages ? 0 : 1;
}
