// A modem unplugged in the middle of a run (its simulator's pty closed) and plugged in again under another
// port name (a new simulator with the same IMEI): its worker finds it by IMEI and goes on; its in-flight row
// is "Unconfirmed" unless the device confirmed it. A device that does not come back leaves after the wait.

#include "SendRunRig.h"

#include "journal/SqliteJobStore.h"
#include "sending/DeviceReturn.h"
#include "sending/RunJournal.h"

#include <condition_variable>
#include <thread>

namespace {

// Unplugs the rig's first simulator after its n-th accepted message, from a thread of its own (a simulator
// cannot stop itself), and, when replug is set, starts its successor with the same IMEI under a new pty name.
class Unplugger {
public:
    Unplugger(Rig& rig, int after, bool replug) : m_rig(rig) {
        m_rig.sims[0]->SetSubmissionCallback([this, after](const SimSubmission&) {
            std::lock_guard lock(m_mutex);
            if (++m_count == after) {
                m_due = true;
                m_wake.notify_all();
            }
        });
        m_thread = std::thread([this, replug] {
            {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [this] { return m_due || m_end; });
                if (m_end)
                    return;
            }
            m_rig.sims[0]->Stop();
            if (!replug)
                return;
            SimModem::Options options;
            QString error;
            options.profile = *SimProfile::Parse(QStringLiteral("default"), &error);
            options.identity.imei = m_rig.ctx.devicesInUse[0].record.imei;
            auto sim = std::make_unique<SimModem>(options);
            EXPECT_TRUE(sim->Start(&error)) << error.toStdString();
            std::lock_guard lock(m_mutex);
            m_newPort = sim->PortName();
            m_rig.sims.push_back(std::move(sim));
        });
    }
    ~Unplugger() {
        {
            std::lock_guard lock(m_mutex);
            m_end = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    // The ports the run looks at: the new simulator's once it is there, and a port that is no modem.
    std::vector<QString> Ports() {
        std::lock_guard lock(m_mutex);
        std::vector<QString> ports{QStringLiteral("/nonexistent/ttyUSB9")};
        if (!m_newPort.isEmpty())
            ports.push_back(m_newPort);
        return ports;
    }

private:
    Rig& m_rig;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    int m_count = 0;
    bool m_due = false;
    bool m_end = false;
    QString m_newPort;
    std::thread m_thread;
};

} // namespace

TEST(DeviceReturn, AModemBackUnderAnotherPortNameIsFoundByImeiAndTheRunGoesOn) {
    for (const int after : {1, 6}) {
        SCOPED_TRACE(after);
        Rig rig({QStringLiteral("slow:20")}); // 20 ms a message: the unplugging comes in the middle of the run
        rig.AddRows(20);
        SqliteJobStore store(rig.dir.filePath(SqliteJobStore::kFileName));
        ASSERT_TRUE(store.Open().ok);
        rig.ctx.journal = &store;
        rig.ctx.journalSpec.devices = {{rig.ctx.devicesInUse[0].record.imei, rig.sims[0]->PortName(), {}}};
        auto unplugger = std::make_unique<Unplugger>(rig, after, true);
        rig.ctx.devicePorts = [&] { return unplugger->Ports(); };
        auto run = rig.Run();
        unplugger.reset();
        ASSERT_EQ(rig.sims.size(), 2u);

        // Every row sent once over the two simulators, except at most the one in flight at the unplugging.
        const auto accepted = rig.Accepted();
        int unconfirmed = 0;
        for (int r = 0; r < run->Job().RowCount(); ++r) {
            const QString status = run->Job().Text(r, SendJob::kStatus);
            const auto it = accepted.find(rig.rows[static_cast<size_t>(r)].first);
            const int count = it == accepted.end() ? 0 : it->second;
            if (status == RunJournal::kUnconfirmed) {
                ++unconfirmed;
                EXPECT_LE(count, 1) << r;
            } else {
                EXPECT_EQ(status, QStringLiteral("Message sent successfully.")) << r;
                EXPECT_EQ(count, 1) << r;
            }
        }
        EXPECT_LE(unconfirmed, 1);
        EXPECT_GT(rig.sims[1]->SubmissionCount(), 0);
        const QString told = rig.observer.diagnostics.join(QLatin1Char('\n'));
        EXPECT_TRUE(
            told.contains(SendRun::kDeviceBack.arg(rig.ctx.devicesInUse[0].record.imei, rig.sims[1]->PortName())))
            << told.toStdString();
        run.reset();

        // The journal agrees: the run finished, with the in-flight row unconfirmed.
        std::vector<JournalRunSummary> runs;
        ASSERT_TRUE(store.InterruptedRuns(&runs).ok);
        EXPECT_TRUE(runs.empty());
    }
}

TEST(DeviceReturn, AModemThatDoesNotComeBackLeavesTheRunAfterTheWait) {
    Rig rig({QStringLiteral("slow:20")});
    rig.AddRows(12);
    rig.ctx.options.reconnectWaitSeconds = 3; // 30 real ms at the rig's clock
    Unplugger unplugger(rig, 1, false);
    rig.ctx.devicePorts = [&] { return unplugger.Ports(); };
    auto run = rig.Run();

    // Its last device gone, the run ended: the first row sent, nothing twice, nothing reported sent that was not.
    QStringList statuses;
    for (int r = 0; r < run->Job().RowCount(); ++r)
        statuses << run->Job().Text(r, SendJob::kStatus);
    int sent = 0;
    for (int r = 0; r < run->Job().RowCount(); ++r)
        sent += run->Job().Text(r, SendJob::kStatus) == QStringLiteral("Message sent successfully.") ? 1 : 0;
    EXPECT_LE(sent, rig.sims[0]->SubmissionCount());
    for (const auto& [number, count] : rig.Accepted())
        EXPECT_EQ(count, 1) << number.toStdString();
    const QString told = rig.observer.diagnostics.join(QLatin1Char('\n'));
    EXPECT_TRUE(told.contains(SendRun::kDeviceNotBack.arg(rig.ctx.devicesInUse[0].record.imei).arg(3)))
        << told.toStdString() << statuses.join(QLatin1Char('|')).toStdString();
}

TEST(DeviceReturn, OnlyADeviceWithTheSameImeiIsTaken) {
    SimModem::Options options;
    QString error;
    options.profile = *SimProfile::Parse(QStringLiteral("default"), &error);
    options.identity.imei = QStringLiteral("350000000000777");
    SimModem other(options);
    ASSERT_TRUE(other.Start(&error)) << error.toStdString();
    const DeviceReturn::PortLister ports = [&] { return std::vector<QString>{other.PortName()}; };
    EXPECT_EQ(DeviceReturn::ImeiOn(other.PortName()), QStringLiteral("350000000000777"));
    EXPECT_EQ(DeviceReturn::Find(QStringLiteral("350000000000777"), 0, ports, SendClock(0.01), {}), other.PortName());
    EXPECT_FALSE(DeviceReturn::Find(QStringLiteral("350000000000001"), 2000, ports, SendClock(0.01), {}));
    EXPECT_FALSE(DeviceReturn::Find(QString(), 2000, ports, SendClock(0.01), {})); // no IMEI: never taken
}
