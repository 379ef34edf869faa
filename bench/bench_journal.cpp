// The run journal's cost: per row of a run (claim and result, each durable before it returns) with four
// workers claiming at once as four devices would, and finding and loading an interrupted run of a million rows
// for a resume.
//
//   build/bench/bench_journal [ROWS=100000] [RESUME_ROWS=1000000] [DIR]

#include "BenchMeasure.h"

#include "journal/SqliteJobStore.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <thread>
#include <vector>

namespace {

std::vector<JournalRowText> Rows(int n) {
    std::vector<JournalRowText> rows;
    rows.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        rows.push_back({QStringLiteral("+4477009%1").arg(i, 7, 10, QLatin1Char('0')),
                        QStringLiteral("Your appointment is confirmed for Monday. Reply STOP to opt out.")});
    return rows;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int resumeRows = argc > 2 ? std::atoi(argv[2]) : 1000000;
    QTemporaryDir tmp;
    const QString dir = argc > 3 ? QString::fromLocal8Bit(argv[3]) : tmp.path();
    const QString imeis[] = {QStringLiteral("350000000000001"), QStringLiteral("350000000000002"),
                             QStringLiteral("350000000000003"), QStringLiteral("350000000000004")};

    {
        SqliteJobStore store(dir + QStringLiteral("/cost.db"));
        if (!store.Open().ok)
            return 1;
        qint64 id = 0;
        if (!store.CreateRun({}, Rows(rows), &id).ok)
            return 1;
        const auto start = std::chrono::steady_clock::now();
        const double cpu0 = CpuSeconds();
        std::vector<std::thread> workers;
        for (int w = 0; w < 4; ++w) {
            workers.emplace_back([&, w] {
                for (int r = w; r < rows; r += 4) {
                    QString error;
                    if (store.Claim(id, r, imeis[w], &error) != JobStore::ClaimOutcome::Claimed ||
                        !store.RecordResult(id, r, JournalRowState::Sent, QStringLiteral("Message sent successfully."),
                                            QString(), 0)
                             .ok)
                        std::abort();
                }
            });
        }
        for (std::thread& t : workers)
            t.join();
        const double wall = SecondsSince(start);
        std::printf("journal, %d rows over 4 workers (claim + result, synchronous=FULL): %.3f s wall, %.3f ms per row "
                    "(per device %.3f ms), %.3f s CPU\n",
                    rows, wall, wall * 1000.0 / rows, wall * 4000.0 / rows, CpuSeconds() - cpu0);
    }

    const QString resumePath = dir + QStringLiteral("/resume.db");
    qint64 id = 0;
    {
        SqliteJobStore store(resumePath);
        if (!store.Open().ok)
            return 1;
        const auto start = std::chrono::steady_clock::now();
        if (!store.CreateRun({}, Rows(resumeRows), &id).ok)
            return 1;
        std::printf("recording a run of %d rows: %.3f s\n", resumeRows, SecondsSince(start));
        for (int r = 0; r < 1000; ++r) { // a few sent before the interruption
            QString error;
            static_cast<void>(store.Claim(id, r, imeis[0], &error));
        }
    } // interrupted: never finished
    const auto start = std::chrono::steady_clock::now();
    SqliteJobStore store(resumePath);
    if (!store.Open().ok)
        return 1;
    const double opened = SecondsSince(start);
    std::vector<JournalRunSummary> runs;
    if (!store.InterruptedRuns(&runs).ok || runs.empty())
        return 1;
    const double found = SecondsSince(start);
    JournalRun run;
    if (!store.LoadRun(runs.front().id, &run).ok)
        return 1;
    const double loaded = SecondsSince(start);
    std::printf("interrupted run of %d rows: opened (with its check) %.3f s, found with counts %.3f s, loaded %.3f s; "
                "peak RSS %ld MiB\n",
                static_cast<int>(run.rows.size()), opened, found, loaded, PeakRssKiB() / 1024);
    return 0;
}
