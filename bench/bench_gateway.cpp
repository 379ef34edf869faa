// Gateway processes sending one job through a private PostgreSQL over simulated modems.
//
//   bench_gateway spread [modems=32] [gateways=4] [rows=3200] [latency-ms=500]
//       One modem's rate through one gateway (measured first), then the job over all modems split between the
//       gateway processes; prints the rate against modems x one modem's rate. Rates count from each run's first
//       submission to its last, so process start and device scans are left out of both.
//   bench_gateway overhead [rows=3000] [modems=16] [gateways=4]
//       The job at no modem latency through the gateways, against the same submissions made directly through the
//       ports: the time the gateways and the database add per row (wall time of the whole job / rows).
//   bench_gateway dbcost [rows=3000] [workers=4]
//       What the database costs a worker per row: reserve (in batches of one per worker), claim and result,
//       made directly on the store by that many threads, each as a gateway worker does before and after its
//       submission.

#include "BenchDirect.h"
#include "fakes/PrivatePostgres.h"
#include "journal/PgJobStore.h"
#include "session/RunSettings.h"
#include "sim/SimModem.h"
#include "sim/SimProfile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

struct Server {
    PrivatePostgres pg;
    int databases = 0;
    bool Start() {
        QString error;
        if (pg.Start(&error))
            return true;
        std::fprintf(stderr, "private PostgreSQL: %s\n", qPrintable(error));
        return false;
    }
    QString NewDatabase() {
        const QString name = QStringLiteral("bench%1").arg(++databases);
        QString error;
        if (!pg.CreateDatabase(name, &error))
            std::fprintf(stderr, "create database: %s\n", qPrintable(error));
        return pg.Url(name);
    }
};

std::unique_ptr<PgJobStore> OpenStore(const QString& url) {
    QString error;
    PgJobStore::Options options;
    options.unconfirmedStatus = QStringLiteral("Unconfirmed: may have been sent.");
    auto store = std::make_unique<PgJobStore>(*PgUrl::Parse(url, &error), options);
    const JournalResult opened = store->Open();
    if (!opened.ok)
        std::fprintf(stderr, "%s\n", qPrintable(opened.message));
    return opened.ok ? std::move(store) : nullptr;
}

qint64 Submit(PgJobStore& store, int rows) {
    std::vector<JournalRowText> texts;
    for (int i = 0; i < rows; ++i)
        texts.push_back({BenchNumber(i), kBenchMessage});
    qint64 id = 0;
    if (!store.CreateRun(JournalRunSpec{RunSettings().ToBlob(), {}}, texts, &id).ok)
        std::fprintf(stderr, "job not recorded\n");
    return id;
}

// Simulators that note the time of every submission.
struct Modems {
    std::vector<std::unique_ptr<SimModem>> sims;
    std::mutex mutex;
    Clock::time_point first{Clock::time_point::max()};
    Clock::time_point last{Clock::time_point::min()};
    int count = 0;
    Modems(int n, const QString& profile) {
        for (int i = 0; i < n; ++i) {
            SimModem::Options options;
            QString error;
            options.profile = *SimProfile::Parse(profile, &error);
            options.identity.imei = QStringLiteral("3520000000%1").arg(i, 5, 10, QLatin1Char('0'));
            auto sim = std::make_unique<SimModem>(options);
            sim->SetSubmissionCallback([this](const SimSubmission&) {
                std::lock_guard lock(mutex);
                const auto now = Clock::now();
                first = std::min(first, now);
                last = std::max(last, now);
                ++count;
            });
            if (!sim->Start(&error))
                std::fprintf(stderr, "simulator: %s\n", qPrintable(error));
            sims.push_back(std::move(sim));
        }
    }
    // Submissions per second between the first and the last (n - 1 intervals).
    double Rate() {
        std::lock_guard lock(mutex);
        return count < 2 ? 0.0 : (count - 1) / std::chrono::duration<double>(last - first).count();
    }
};

// Runs the gateways (the modems split evenly between them) until all have ended.
void RunGateways(const QString& url, Modems& modems, int gateways) {
    std::vector<std::unique_ptr<QProcess>> processes;
    const int per = static_cast<int>(modems.sims.size()) / gateways;
    QTemporaryDir data;
    for (int g = 0; g < gateways; ++g) {
        QStringList args{"gateway",
                         "--db",
                         url,
                         "--name",
                         QStringLiteral("bench%1").arg(g),
                         "--data",
                         data.filePath(QString::number(g))};
        for (int m = g * per; m < (g + 1) * per; ++m)
            args << "--port" << modems.sims[static_cast<size_t>(m)]->PortName();
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(QStringLiteral(BULKSMS_CLI_PATH), args);
        processes.push_back(std::move(p));
    }
    for (auto& p : processes) {
        p->waitForFinished(-1);
        if (p->exitCode() != 0)
            std::fprintf(stderr, "a gateway exited with %d\n", p->exitCode());
    }
}

int Spread(int modemCount, int gateways, int rows, int latency) {
    Server server;
    if (!server.Start())
        return 1;
    const QString profile = QStringLiteral("slow:%1").arg(latency);
    const int single = std::max(8, rows / modemCount / 2);
    double rateOne = 0;
    {
        const QString url = server.NewDatabase();
        auto store = OpenStore(url);
        if (!store)
            return 1;
        Submit(*store, single);
        Modems one(1, profile);
        RunGateways(url, one, 1);
        rateOne = one.Rate();
    }
    const QString url = server.NewDatabase();
    auto store = OpenStore(url);
    if (!store)
        return 1;
    Submit(*store, rows);
    Modems many(modemCount, profile);
    RunGateways(url, many, gateways);
    const double rate = many.Rate();
    std::printf("latency %d ms: one modem through one gateway %.3f msg/s (%d rows); %d modems over %d gateways "
                "%.2f msg/s (%d of %d rows received); %.1f%% of %d x one modem\n",
                latency, rateOne, single, modemCount, gateways, rate, many.count, rows,
                100.0 * rate / (modemCount * rateOne), modemCount);
    return many.count == rows ? 0 : 1;
}

int Overhead(int rows, int modemCount, int gateways) {
    Server server;
    if (!server.Start())
        return 1;
    double direct = 0;
    {
        Modems modems(modemCount, QStringLiteral("default"));
        direct = DirectSubmissions(modems.sims, rows, ModemTiming::Fast());
    }
    const QString url = server.NewDatabase();
    auto store = OpenStore(url);
    if (!store)
        return 1;
    Submit(*store, rows);
    Modems modems(modemCount, QStringLiteral("default"));
    RunGateways(url, modems, gateways);
    std::chrono::duration<double> span;
    {
        std::lock_guard lock(modems.mutex);
        span = modems.last - modems.first;
    }
    std::printf("%d rows, %d modems, no latency: direct submissions %.2f s; %d gateways %.2f s from the first "
                "submission to the last (%d received); the gateways and the database add %.3f ms per row\n",
                rows, modemCount, direct, gateways, span.count(), modems.count,
                (span.count() - direct) * 1000.0 / rows);
    return modems.count == rows ? 0 : 1;
}

int DbCost(int rows, int workers) {
    Server server;
    if (!server.Start())
        return 1;
    const QString url = server.NewDatabase();
    auto submitter = OpenStore(url);
    auto gateway = OpenStore(url);
    if (!submitter || !gateway || !gateway->StartGateway(QStringLiteral("bench")).ok)
        return 1;
    const qint64 job = Submit(*submitter, rows);
    std::mutex mutex;
    std::vector<double> perRowMs;
    QElapsedTimer wall;
    wall.start();
    std::vector<std::thread> threads;
    for (int w = 0; w < workers; ++w) {
        threads.emplace_back([&, w] {
            const QString imei = QStringLiteral("35300000000000%1").arg(w);
            for (;;) {
                std::vector<int> batch;
                QString error;
                const auto start = Clock::now();
                if (gateway->ReserveRows(job, 1, &batch, &error) != PgJobStore::Reserve::Rows)
                    return;
                for (const int row : batch) {
                    if (gateway->Claim(job, row, imei, &error) != JobStore::ClaimOutcome::Claimed ||
                        !gateway
                             ->RecordResult(job, row, JournalRowState::Sent,
                                            QStringLiteral("Message sent successfully."), {}, 0)
                             .ok)
                        std::fprintf(stderr, "row %d: %s\n", row, qPrintable(error));
                }
                const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
                std::lock_guard lock(mutex);
                perRowMs.push_back(ms / static_cast<double>(batch.size()));
            }
        });
    }
    for (auto& t : threads)
        t.join();
    const double seconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    std::sort(perRowMs.begin(), perRowMs.end());
    double sum = 0;
    for (const double ms : perRowMs)
        sum += ms;
    std::printf("%zu rows, %d workers, reservations of one row: database time per row per worker mean %.3f ms, "
                "median %.3f ms, 99th percentile %.3f ms; %.0f rows/s through one gateway's connection\n",
                perRowMs.size(), workers, sum / static_cast<double>(perRowMs.size()), perRowMs[perRowMs.size() / 2],
                perRowMs[perRowMs.size() * 99 / 100], static_cast<double>(perRowMs.size()) / seconds);
    return static_cast<int>(perRowMs.size()) == rows ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (!PrivatePostgres::MissingReason().isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(PrivatePostgres::MissingReason()));
        return 1;
    }
    const QString mode = args.value(1, QStringLiteral("spread"));
    if (mode == QLatin1String("overhead"))
        return Overhead(args.value(2, QStringLiteral("3000")).toInt(), args.value(3, QStringLiteral("16")).toInt(),
                        args.value(4, QStringLiteral("4")).toInt());
    if (mode == QLatin1String("dbcost"))
        return DbCost(args.value(2, QStringLiteral("3000")).toInt(), args.value(3, QStringLiteral("4")).toInt());
    return Spread(args.value(2, QStringLiteral("32")).toInt(), args.value(3, QStringLiteral("4")).toInt(),
                  args.value(4, QStringLiteral("3200")).toInt(), args.value(5, QStringLiteral("500")).toInt());
}
