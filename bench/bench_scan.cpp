// Wall time of the port scan over simulated modems with the scan's own reply time-out (1000 ms), run through
// the device selection logic as the window runs it (every port examined in turn, rows de-duplicated by
// IMEI). Prints the total and the time per modem for N healthy modems (each with its own IMEI), and the time
// one dead port (a device that never answers) adds to a scan.
// Usage: bench_scan [modems=8] [runs=3] [profile=default]

#include "app/Prompter.h"
#include "devices/DeviceSelectionController.h"
#include "devices/MainDeviceState.h"
#include "sim/SimModem.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

class SilentPrompter final : public Prompter {
public:
    Answer Ask(const QString&, const QString&, Icon, Buttons) override { return Answer::Ok; }
};

std::vector<std::unique_ptr<SimModem>> StartSims(int count, const QString& profileText, bool* ok) {
    std::vector<std::unique_ptr<SimModem>> sims;
    QString error;
    const std::optional<SimProfile> profile = SimProfile::Parse(profileText, &error);
    *ok = profile.has_value();
    for (int i = 0; i < count && *ok; ++i) {
        SimModem::Options options;
        options.profile = *profile;
        options.identity.imei = QStringLiteral("86785603455%1").arg(1000 + i);
        sims.push_back(std::make_unique<SimModem>(options));
        if (!sims.back()->Start(&error)) {
            std::fprintf(stderr, "simulator: %s\n", qPrintable(error));
            *ok = false;
        }
    }
    return sims;
}

// Scans the ports of the simulators once; returns the wall time in ms and the rows found.
double ScanOnce(const std::vector<std::unique_ptr<SimModem>>& sims, std::size_t* rows) {
    std::vector<PortInfo> ports;
    for (const auto& sim : sims)
        ports.push_back({sim->PortName(), QStringLiteral("Simulated GSM Modem"), PortInfo::Kind::Device});
    MainDeviceState devices;
    SilentPrompter prompter;
    DeviceSelectionController controller(devices, prompter, [ports] { return ports; }); // the scan's 1000 ms reply limit
    QElapsedTimer timer;
    timer.start();
    const PortScanner::Result result = controller.ScanNow(nullptr);
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    *rows = result.rows.size();
    return ms;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int modems = argc > 1 ? std::max(1, std::atoi(argv[1])) : 8;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const QString profile = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral("default");

    bool ok = false;
    const auto healthy = StartSims(modems, profile, &ok);
    if (!ok)
        return 1;
    std::vector<double> times;
    std::size_t rows = 0;
    for (int r = 0; r < runs; ++r)
        times.push_back(ScanOnce(healthy, &rows));
    const double total = Median(times);
    std::printf("scan of %d %s modems: %.1f ms (median of %d), %.1f ms per modem, %zu rows\n", modems,
                qPrintable(profile), total, runs, total / modems, rows);

    const auto dead = StartSims(1, QStringLiteral("dead"), &ok);
    if (!ok)
        return 1;
    std::vector<double> deadTimes;
    for (int r = 0; r < runs; ++r)
        deadTimes.push_back(ScanOnce(dead, &rows));
    std::printf("scan of 1 dead port: %.1f ms (median of %d), %zu rows\n", Median(deadTimes), runs, rows);
    return 0;
}
