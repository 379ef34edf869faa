// LoadExclusionSet of 1,000,000 numbers over 10 applied lists, then look-ups.
// Usage: bench_exclusion [total-numbers] [--country CC] [--mixed]
//   total-numbers  default 1000000
//   --mixed        British mobiles in four shapes (national with spaces, "+44", "0044" with a dash, brackets)
//                  instead of "+4479..." only; the look-ups are written in another shape than the entries
//   --country CC   compare by international form for the country (default: as texts)
// Prints seconds and peak resident set size.

#include "BenchMeasure.h"
#include "MixedNumbers.h"
#include "exclusion/ExclusionStore.h"
#include "exclusion/LoadExclusionSet.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sys/resource.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    long total = 1000000;
    bool mixed = false;
    QString country;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--country") == 0 && i + 1 < argc)
            country = QString::fromLatin1(argv[++i]);
        else if (std::strcmp(argv[i], "--mixed") == 0)
            mixed = true;
        else
            total = std::atol(argv[i]);
    }
    const NumberComparison comparison = NumberComparison::ForCountry(country);
    if (!country.isEmpty() && !comparison.ByInternationalForm()) {
        std::fprintf(stderr, "unknown country %s\n", qPrintable(country));
        return 2;
    }
    std::printf("%ld %s numbers, compared %s\n", total, mixed ? "mixed-format" : "\"+4479...\"",
                comparison.ByInternationalForm() ? qPrintable(QStringLiteral("by international form for ") + country)
                                                 : "as texts");
    // Entry i; the look-up of i is written in another shape in mixed mode.
    auto entry = [mixed](long i, int shape) {
        return mixed ? MixedNumber(i, shape) : QStringLiteral("+4479%1").arg(i, 8, 10, QLatin1Char('0'));
    };
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
            numbers << entry(l * (total / kLists) + i, static_cast<int>(i));
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
    const ExclusionSetLoad load = LoadExclusionSet(store, comparison);
    const double loadSeconds = SecondsSince(loadStart);
    std::printf("LoadExclusionSet: %lld entries, %lld distinct, %.3f s wall, %.3f s CPU (limit 1 s)\n",
                static_cast<long long>(load.set.EntryCount()), static_cast<long long>(load.set.DistinctCount()),
                loadSeconds, CpuSeconds() - cpuStart);

    const auto lookStart = std::chrono::steady_clock::now();
    long hits = 0;
    for (long i = 0; i < total; ++i)
        hits += load.set.IsExcluded(entry(i * 2, static_cast<int>(i * 2) + 1)) ? 1 : 0;
    std::printf("IsExcluded x %ld: %ld hits, %.3f s\n", total, hits, SecondsSince(lookStart));
    std::printf("peak RSS: %ld KiB before the load, %ld KiB at the end\n", rssBefore, PeakRssKiB());
    return loadSeconds < 1.0 ? 0 : 1;
}
