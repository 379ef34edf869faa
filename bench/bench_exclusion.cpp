// LoadExclusionSet of 1,000,000 numbers over 10 applied lists, then look-ups.
// Usage: bench_exclusion [total-numbers] (default 1000000). Prints seconds and peak resident set size.

#include "BenchMeasure.h"
#include "exclusion/ExclusionStore.h"
#include "exclusion/LoadExclusionSet.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sys/resource.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const long total = argc > 1 ? std::atol(argv[1]) : 1000000;
    constexpr int kLists = 10;

    QTemporaryDir temp;
    const DataPaths paths(temp.path());
    paths.EnsureDataFiles();
    ExclusionStore store(paths);

    QStringList names;
    const auto writeStart = std::chrono::steady_clock::now();
    for (int l = 0; l < kLists; ++l) {
        QStringList numbers;
        numbers.reserve(total / kLists);
        for (long i = 0; i < total / kLists; ++i)
            numbers << QStringLiteral("+4479%1").arg(l * (total / kLists) + i, 8, 10, QLatin1Char('0'));
        const QString name = QStringLiteral("List %1").arg(l);
        if (const ExclusionStoreStatus s = store.AppendList(name, numbers); !s.Ok()) {
            std::fprintf(stderr, "AppendList: %s\n", qPrintable(s.Text()));
            return 1;
        }
        names << name;
    }
    if (!store.SaveApplied(names).Ok())
        return 1;
    std::printf("write %d lists of %ld numbers: %.3f s\n", kLists, total / kLists, SecondsSince(writeStart));

    const long rssBefore = PeakRssKiB();
    const double cpuStart = CpuSeconds();
    const auto loadStart = std::chrono::steady_clock::now();
    const ExclusionSetLoad load = LoadExclusionSet(store);
    const double loadSeconds = SecondsSince(loadStart);
    std::printf("LoadExclusionSet: %lld entries, %lld distinct, %.3f s wall, %.3f s CPU (limit 1 s)\n",
                static_cast<long long>(load.set.EntryCount()), static_cast<long long>(load.set.DistinctCount()),
                loadSeconds, CpuSeconds() - cpuStart);

    const auto lookStart = std::chrono::steady_clock::now();
    long hits = 0;
    for (long i = 0; i < total; ++i)
        hits += load.set.IsExcluded(QStringLiteral("+4479%1").arg(i * 2, 8, 10, QLatin1Char('0'))) ? 1 : 0;
    std::printf("IsExcluded x %ld: %ld hits, %.3f s\n", total, hits, SecondsSince(lookStart));
    std::printf("peak RSS: %ld KiB before the load, %ld KiB at the end\n", rssBefore, PeakRssKiB());
    return loadSeconds < 1.0 ? 0 : 1;
}
