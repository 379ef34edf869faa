// Interrupted runs end to end: bulksms-cli send killed (SIGKILL) at seeded random moments over simulated modems,
// then `runs` and `resume`; the simulators' submissions show who received what.

#include "CliProcess.h"
#include "journal/SqliteJobStore.h"
#include "records/SentItemsStore.h"
#include "sim/SimModem.h"
#include "sim/SimProfile.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QMap>
#include <QProcess>
#include <QThread>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <memory>
#include <random>

#include <signal.h>
#include <sys/resource.h>

namespace {

const QString kUnconfirmed = QStringLiteral("Unconfirmed: may have been sent.");

std::unique_ptr<SimModem> Sim(const QString& imei) {
    SimModem::Options options;
    options.identity.imei = imei;
    QString error;
    // A few ms per command, so a run lasts long enough to be killed in the middle of it.
    options.profile = *SimProfile::Parse(QStringLiteral("cmddelay:4"), &error);
    auto sim = std::make_unique<SimModem>(options);
    EXPECT_TRUE(sim->Start(&error)) << error.toStdString();
    return sim;
}

class ResumeCli : public CliTest {
protected:
    // The rows file: n unique numbers, each with its own text.
    QString RowsFile(int n) {
        QByteArray rows;
        for (int i = 0; i < n; ++i) {
            const QString number = QStringLiteral("+1555%1").arg(i, 4, 10, QLatin1Char('0'));
            m_numbers << number;
            rows += (number + QStringLiteral("\tm%1\n").arg(i)).toUtf8();
        }
        return File(QStringLiteral("rows.txt"), rows);
    }
    QStringList PortArgs() const {
        QStringList args;
        for (const auto& sim : m_sims)
            args << QStringLiteral("--port") << sim->PortName();
        return args;
    }
    int Submitted() const {
        int n = 0;
        for (const auto& sim : m_sims)
            n += sim->SubmissionCount();
        return n;
    }
    // Starts bulksms-cli and kills it (SIGKILL) once the simulators together have taken `after` more messages,
    // plus a few ms. killed: it had not ended by itself; out: its stdout when it had.
    struct Killed {
        bool killed = false;
        QStringList lines;
        QString err;
    };
    Killed RunAndKill(const QStringList& args, int after, int extraMs) {
        const int target = Submitted() + after;
        QProcess p;
        p.start(CliPath(), args);
        EXPECT_TRUE(p.waitForStarted(10000));
        while (Submitted() < target && p.state() == QProcess::Running)
            p.waitForFinished(1);
        if (p.state() == QProcess::Running && extraMs > 0)
            p.waitForFinished(extraMs);
        Killed k;
        k.killed = p.state() == QProcess::Running;
        p.kill(); // SIGKILL
        p.waitForFinished(10000);
        k.lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        k.err = QString::fromUtf8(p.readAllStandardError()) +
                QStringLiteral("\n[exit status %1, code %2]").arg(int(p.exitStatus())).arg(p.exitCode());
        return k;
    }
    // Everything every simulator (also those stopped and replaced) received, by recipient.
    QMap<QString, int> Received() const {
        QMap<QString, int> received = m_retired;
        for (const auto& sim : m_sims) {
            for (const SimSubmission& s : sim->Submissions())
                ++received[s.to];
        }
        return received;
    }
    // The modem unplugged and back under another port name: a new simulator with the same IMEI.
    void Replug(size_t index) {
        for (const SimSubmission& s : m_sims[index]->Submissions())
            ++m_retired[s.to];
        const QString imei = QStringLiteral("35000000000010%1").arg(index);
        m_sims[index].reset();
        m_sims[index] = Sim(imei);
    }

    std::vector<std::unique_ptr<SimModem>> m_sims;
    QMap<QString, int> m_retired;
    QStringList m_numbers;
};

} // namespace

// Killed twice at random moments (the send, then the first resume), with a modem coming back under a new port
// name in between, then resumed to the end: every number was received exactly once, except rows reported
// Unconfirmed (at most one per modem and kill), which were received at most once; the sent-items log holds
// every sent row once.
TEST_F(ResumeCli, KilledRunsResumeWithoutDoubleSends) {
    const int kRows = 45;
    for (const unsigned seed : {11u, 29u, 47u}) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        m_sims.clear();
        m_retired.clear();
        m_numbers.clear();
        QTemporaryDir data;
        for (int i = 0; i < 3; ++i)
            m_sims.push_back(Sim(QStringLiteral("35000000000010%1").arg(i)));
        const QString rows = RowsFile(kRows);
        const QStringList sendArgs = QStringList{"send", "--rows", rows, "--save-sent", "--data", data.path()} + PortArgs();
        ASSERT_TRUE(RunAndKill(sendArgs, std::uniform_int_distribution<int>(2, 15)(random),
                               std::uniform_int_distribution<int>(0, 25)(random))
                        .killed);
        int kills = 1;

        CliRun runs = RunCli({"runs", "--data", data.path()});
        ASSERT_EQ(runs.exitCode, 0) << runs.err.toStdString();
        ASSERT_EQ(runs.lines.size(), 1) << runs.out.toStdString();
        const QStringList fields = runs.lines[0].split(QLatin1Char('\t'));
        ASSERT_EQ(fields.size(), 6);
        EXPECT_EQ(fields[2], QString::number(kRows));
        EXPECT_LE(fields[4].toInt(), 3) << runs.lines[0].toStdString();
        EXPECT_EQ(fields[3].toInt() + fields[4].toInt() + fields[5].toInt(), kRows);

        // Without --yes nothing is resumed.
        CliRun declined = RunCli(QStringList{"resume", "--data", data.path()} + PortArgs());
        EXPECT_EQ(declined.exitCode, 1);

        Replug(static_cast<size_t>(seed % 3));
        const QStringList resumeArgs = QStringList{"resume", fields[0], "--yes", "--data", data.path()} + PortArgs();
        const Killed second = RunAndKill(resumeArgs, std::uniform_int_distribution<int>(2, 10)(random),
                                         std::uniform_int_distribution<int>(0, 25)(random));
        QStringList lines = second.lines;
        QString lastErr = second.err;
        if (second.killed) {
            ++kills;
            // Whatever is left is sent now; the run is then over.
            const CliRun last = RunCli(QStringList{"resume", "--yes", "--data", data.path()} + PortArgs());
            ASSERT_TRUE(last.exitCode == 0 || last.exitCode == 1) << last.err.toStdString();
            lines = last.lines;
            lastErr = last.err;
        }
        EXPECT_TRUE(RunCli({"runs", "--data", data.path()}).lines.isEmpty());
        ASSERT_EQ(lines.size(), kRows + 1) << lines.join(QLatin1Char('\n')).toStdString() << lastErr.toStdString();
        QMap<QString, QString> statusOf;
        for (int i = 0; i < kRows; ++i) {
            const QStringList cols = lines[i].split(QLatin1Char('\t'));
            ASSERT_GE(cols.size(), 3);
            statusOf[cols[0]] = cols[2];
        }
        const QMap<QString, int> received = Received();
        int unconfirmed = 0;
        for (const QString& number : m_numbers) {
            if (statusOf.value(number) == kUnconfirmed) {
                ++unconfirmed;
                EXPECT_LE(received.value(number), 1) << number.toStdString();
            } else {
                EXPECT_EQ(received.value(number), 1) << number.toStdString() << " " << statusOf.value(number).toStdString();
            }
        }
        EXPECT_LE(unconfirmed, 3 * kills);

        // The sent-items log: every sent number exactly once.
        QFile file(data.path() + QStringLiteral("/BULK_SMS_DATA/SentItem.vrix"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QMap<QString, int> logged;
        for (const SentItemRecord& r : SentItemsStore::ParseFile(file.readAll())) {
            if (r.status == QStringLiteral("Message sent successfully."))
                ++logged[r.number];
        }
        for (const QString& number : m_numbers) {
            if (statusOf.value(number) != kUnconfirmed) {
                EXPECT_EQ(logged.value(number), 1) << number.toStdString();
            }
        }
    }
}

// The disk fills up in the middle of a run (a file size limit on the process: its writes beyond it fail with
// EFBIG, as on a full disk): the run stops with a clear message, every message submitted had its claim on
// disk, and a resume sends the rest, none twice.
TEST_F(ResumeCli, ADiskThatFillsUpStopsTheRunBeforeTheNextSubmissionAndLosesNothing) {
    const int kRows = 200;
    QTemporaryDir data;
    m_sims.push_back(Sim(QStringLiteral("350000000000201")));
    const QString rows = RowsFile(kRows);
    const CliRun full = RunCliWith(
        QStringList{"send", "--rows", rows, "--save-sent", "--data", data.path()} + PortArgs(), [](QProcess& p) {
            p.setChildProcessModifier([] {
                ::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of ending the process
                const rlimit limit{256 * 1024, 256 * 1024};
                ::setrlimit(RLIMIT_FSIZE, &limit);
            });
        });
    EXPECT_EQ(full.exitCode, 1) << full.err.toStdString();
    EXPECT_TRUE(full.err.contains(QStringLiteral("The run stops: no message is sent unless the run journal holds its "
                                                 "record.")))
        << full.err.toStdString();
    const int submitted = Submitted();
    ASSERT_GT(submitted, 0) << full.err.toStdString();
    ASSERT_LT(submitted, kRows);

    // Every number the modem took has its claim in the journal; at most the one in flight lacks its result.
    const CliRun runs = RunCli({"runs", "--json", "--data", data.path()});
    ASSERT_EQ(runs.exitCode, 0) << runs.err.toStdString();
    const QJsonArray listed = QJsonDocument::fromJson(runs.bytes).array();
    ASSERT_EQ(listed.size(), 1) << runs.out.toStdString();
    const QJsonObject summary = listed[0].toObject();
    EXPECT_EQ(summary[QStringLiteral("rows")].toInt(), kRows);
    EXPECT_EQ(summary[QStringLiteral("sent")].toInt() + summary[QStringLiteral("unconfirmed")].toInt() +
                  summary[QStringLiteral("notSent")].toInt(),
              kRows);
    EXPECT_LE(summary[QStringLiteral("unconfirmed")].toInt(), 1);
    {
        SqliteJobStore store(data.path() + QStringLiteral("/BULK_SMS_DATA/") + SqliteJobStore::kFileName);
        ASSERT_TRUE(store.Open().ok);
        JournalRun run;
        ASSERT_TRUE(store.LoadRun(summary[QStringLiteral("run")].toInteger(), &run).ok);
        const QMap<QString, int> received = Received();
        for (size_t r = 0; r < run.rows.size(); ++r) {
            if (received.value(run.rows[r].number) > 0) {
                EXPECT_NE(run.states[r].state, JournalRowState::Pending) << r;
                EXPECT_NE(run.states[r].state, JournalRowState::Failed) << r;
            }
            if (run.states[r].state == JournalRowState::Sent) {
                EXPECT_FALSE(run.states[r].reference.isEmpty()) << r; // the device's TP-MR
            }
        }
    }

    const CliRun resumed = RunCli(QStringList{"resume", "--yes", "--data", data.path()} + PortArgs());
    EXPECT_TRUE(resumed.exitCode == 0 || resumed.exitCode == 1) << resumed.err.toStdString();
    ASSERT_EQ(resumed.lines.size(), kRows + 1) << resumed.err.toStdString();
    const QMap<QString, int> received = Received();
    int unconfirmed = 0;
    for (int i = 0; i < kRows; ++i) {
        const QStringList cols = resumed.lines[i].split(QLatin1Char('\t'));
        ASSERT_GE(cols.size(), 3);
        if (cols[2] == kUnconfirmed) {
            ++unconfirmed;
            EXPECT_LE(received.value(cols[0]), 1) << cols[0].toStdString();
        } else {
            EXPECT_EQ(received.value(cols[0]), 1) << cols[0].toStdString();
        }
    }
    EXPECT_LE(unconfirmed, 1);
    EXPECT_TRUE(RunCli({"runs", "--json", "--data", data.path()}).bytes.trimmed() == "[]");
}
