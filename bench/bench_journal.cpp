// The run journal's cost and its resume:
//  - engine: a run of ROWS rows over 4 simulated modems with no latency, without and then with the journal
//    (synchronous=FULL); the difference per row is what the journal adds to the engine's time;
//  - store: the journal alone, four workers each claiming a row (waiting for its commit) and posting its
//    result, as the engine's workers do;
//  - finding and loading an interrupted run of RESUME_ROWS rows for a resume.
//
//   build/bench/bench_journal [ROWS=100000] [RESUME_ROWS=1000000] [DIR] [PARTS=engine,store,resume]

#include "BenchMeasure.h"
#include "EngineBench.h"

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
    const QString given = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    const QString dir = given.isEmpty() ? tmp.path() : given; // "" keeps the temporary folder
    const QString parts = argc > 4 ? QString::fromLocal8Bit(argv[4]) : QStringLiteral("engine,store,resume");
    const QString imeis[] = {QStringLiteral("350000000000001"), QStringLiteral("350000000000002"),
                             QStringLiteral("350000000000003"), QStringLiteral("350000000000004")};

    if (parts.contains(QLatin1String("engine"))) {
        const ModemTiming timing = ModemTiming::Fast();
        int sentPlain = 0;
        int sentJournal = 0;
        Modems plainModems(4, QStringLiteral("default"));
        const double plain = EngineRun(plainModems, rows, timing, &sentPlain);
        SqliteJobStore store(dir + QStringLiteral("/engine.db"));
        if (!store.Open().ok)
            return 1;
        Modems journalModems(4, QStringLiteral("default"));
        const double cpu0 = CpuSeconds();
        const double journaled = EngineRun(journalModems, rows, timing, &sentJournal, &store);
        std::printf("engine, %d rows over 4 simulated modems, no latency: %.2f s without journal (%d sent), %.2f s "
                    "with journal (%d sent, %.2f s CPU); the journal adds %.3f ms per row\n",
                    rows, plain, sentPlain, journaled, sentJournal, CpuSeconds() - cpu0,
                    (journaled - plain) * 1000.0 / rows);
    }

    if (parts.contains(QLatin1String("store"))) {
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
                    if (store.Claim(id, r, imeis[w], &error) != JobStore::ClaimOutcome::Claimed)
                        std::abort();
                    store.PostResult(id, r, JournalRowState::Sent, QStringLiteral("Message sent successfully."),
                                     QStringLiteral("%1").arg(r % 256), 0, &error);
                }
            });
        }
        for (std::thread& t : workers)
            t.join();
        if (!store.Flush().ok)
            std::abort();
        const double wall = SecondsSince(start);
        std::printf("journal alone, %d rows over 4 workers (claim waited, result posted, synchronous=FULL): %.3f s "
                    "wall, %.3f ms per row (per device %.3f ms), %.3f s CPU\n",
                    rows, wall, wall * 1000.0 / rows, wall * 4000.0 / rows, CpuSeconds() - cpu0);
    }
    if (!parts.contains(QLatin1String("resume")))
        return 0;

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
