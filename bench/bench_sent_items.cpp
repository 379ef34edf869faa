// Appends 10,000 sent-items records from 8 threads to a fresh log, then loads the log and checks that every
// record is intact and each thread's records kept their order. Prints the figures; exit status 1 when a
// record was lost or damaged.
#include "records/SentItemsStore.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

constexpr int kThreads = 8;
constexpr int kRecords = 10000;

QString MessageOf(int thread, int index) {
    return QStringLiteral("Dear customer %1/%2,\nyour order is ready. \u00E9\u20AC").arg(thread).arg(index);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const SentItemsStore store(dir.filePath(QStringLiteral("SentItem.vrix")));
    const int each = kRecords / kThreads;
    std::atomic<int> failures{0};

    const auto start = std::chrono::steady_clock::now();
    {
        std::vector<std::jthread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&, t] {
                for (int i = 0; i < each; ++i) {
                    const SentItemRecord record =
                        SentItemsStore::MakeRecord(QStringLiteral("+4479%1").arg(t * each + i, 8, 10, QLatin1Char('0')),
                                                   MessageOf(t, i), QStringLiteral("Message sent successfully."));
                    if (!store.Append(record))
                        ++failures;
                }
            });
        }
    }
    const double appendSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    const auto loadStart = std::chrono::steady_clock::now();
    QList<SentItemRecord> records;
    const bool loaded = store.Load(&records);
    const double loadSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - loadStart).count();

    int damaged = 0;
    std::vector<int> next(kThreads, 0);
    for (const SentItemRecord& r : records) {
        const int serial = r.number.mid(5).toInt();
        const int t = serial / each;
        const int i = serial % each;
        if (t < 0 || t >= kThreads || i != next[t] || r.message != MessageOf(t, i) ||
            r.status != QLatin1String("Message sent successfully.") || r.date.size() != 10)
            ++damaged;
        else
            ++next[t];
    }

    std::printf("records appended: %d from %d threads, failed appends: %d\n", kRecords, kThreads, failures.load());
    std::printf("append time: %.3f s (%.1f us per record)\n", appendSeconds, appendSeconds * 1e6 / kRecords);
    std::printf("load time: %.3f s, records loaded: %lld, damaged or out of order: %d, file size: %lld bytes\n",
                loadSeconds, static_cast<long long>(records.size()), damaged,
                static_cast<long long>(QFileInfo(store.Path()).size()));
    const bool intact = loaded && failures == 0 && damaged == 0 && records.size() == kRecords;
    std::printf("%s\n", intact ? "every record intact" : "RECORDS LOST OR DAMAGED");
    return intact ? 0 : 1;
}
