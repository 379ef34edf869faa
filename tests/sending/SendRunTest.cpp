// Whole runs over several simulated modems on real pseudo-terminals, with a scaled clock.

#include "exclusion/ExclusionSet.h"
#include "fakes/ScriptedPrompter.h"
#include "records/SentItemsStore.h"
#include "sending/SendRun.h"
#include "sending/SendState.h"
#include "sim/SimModem.h"
#include "sms/SubmissionResult.h"

#include <gtest/gtest.h>

#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>

namespace {

class RecordingObserver : public SendObserver {
public:
    void PauseLabel(const QString& text) override {
        std::lock_guard lock(m_mutex);
        if (text.startsWith(QLatin1String("Pausing")) && !m_inPause) {
            ++pauses;
            m_inPause = true;
        }
        if (text.isEmpty())
            m_inPause = false;
    }
    void Finished() override { finished = true; }
    int pauses = 0;
    std::atomic<bool> finished{false};

private:
    std::mutex m_mutex;
    bool m_inPause = false;
};

struct Rig {
    std::vector<std::unique_ptr<SimModem>> sims;
    std::vector<std::pair<QString, QString>> rows;
    ModemSlots slots;
    SendState state;
    ExclusionSet exclusion;
    QTemporaryDir dir;
    std::unique_ptr<SentItemsStore> sentItems;
    RecordingObserver observer;
    ScriptedPrompter prompter;
    SendContext ctx;

    explicit Rig(const QStringList& profiles) {
        ModemTiming timing = ModemTiming::Fast();
        timing.finalResultLimitMs = 3000;
        slots.SetTiming(timing);
        sentItems = std::make_unique<SentItemsStore>(dir.filePath(QStringLiteral("SentItem.vrix")));
        for (int i = 0; i < profiles.size(); ++i) {
            QString error;
            SimModem::Options options;
            options.profile = *SimProfile::Parse(profiles.at(i), &error);
            options.identity.imei = QStringLiteral("35000000000000%1").arg(i);
            sims.push_back(std::make_unique<SimModem>(options));
            EXPECT_TRUE(sims.back()->Start(&error)) << error.toStdString();
            RunDevice device;
            device.record.portName = sims.back()->PortName();
            device.record.smsMode = DeviceRecord::kModePdu;
            device.record.slot = i;
            device.entry = device.record.portName + QStringLiteral(" - Simulated ") + QString::number(i);
            ctx.devicesInUse.push_back(device);
        }
        ctx.selectedEntry = profiles.size() > 1 ? RunDevice::kAllDevice : ctx.devicesInUse.front().entry;
        ctx.rowCount = [this] { return static_cast<int>(rows.size()); };
        ctx.rowAt = [this](int i) { return rows.at(static_cast<size_t>(i)); };
        ctx.state = &state;
        ctx.slots = &slots;
        ctx.exclusion = &exclusion;
        ctx.sentItems = sentItems.get();
        ctx.observer = &observer;
        ctx.prompter = &prompter;
        ctx.clock = SendClock(0.01); // one engine second is 10 real ms
    }

    void AddRows(int count, const QString& prefix = QStringLiteral("+1555000")) {
        for (int i = 0; i < count; ++i)
            rows.emplace_back(prefix + QString::number(1000 + rows.size()), QStringLiteral("Hello %1").arg(i));
    }

    std::unique_ptr<SendRun> Run() {
        auto run = std::make_unique<SendRun>(ctx);
        run->Open();
        EXPECT_TRUE(run->WaitForEnd(60000));
        return run;
    }

    // Every number the modems accepted, and how often.
    std::map<QString, int> Accepted() const {
        std::map<QString, int> count;
        for (const auto& sim : sims) {
            for (const SimSubmission& s : sim->Submissions())
                ++count[s.to];
        }
        return count;
    }

    QList<SentItemRecord> Logged() const {
        QList<SentItemRecord> records;
        EXPECT_TRUE(sentItems->Load(&records));
        return records;
    }
};

QStringList Statuses(const SendRun& run) {
    QStringList statuses;
    for (int r = 0; r < run.Job().RowCount(); ++r)
        statuses << run.Job().Text(r, SendJob::kStatus);
    return statuses;
}

} // namespace

TEST(SendRun, SendsEveryRowOnceOverSeveralModems) {
    Rig rig({QStringLiteral("default"), QStringLiteral("slow:20"), QStringLiteral("quirky")});
    rig.AddRows(30);
    rig.ctx.options.saveSentItems = true;
    auto run = rig.Run();
    EXPECT_EQ(run->StatusLabelText(), QStringLiteral("Finish."));
    EXPECT_EQ(run->ButtonCaption(), QStringLiteral("Close"));
    const auto accepted = rig.Accepted();
    EXPECT_EQ(accepted.size(), 30u);
    for (const auto& [number, count] : accepted)
        EXPECT_EQ(count, 1) << number.toStdString();
    for (const QString& status : Statuses(*run))
        EXPECT_EQ(status, QStringLiteral("Message sent successfully."));
    int busy = 0;
    for (const auto& sim : rig.sims)
        busy += sim->SubmissionCount() > 0 ? 1 : 0;
    EXPECT_EQ(busy, 3);
    run.reset();
    EXPECT_EQ(rig.Logged().size(), 30);
}

TEST(SendRun, NeverMoreWorkersThanRows) {
    Rig rig({QStringLiteral("default"), QStringLiteral("default")});
    rig.AddRows(1);
    auto run = rig.Run();
    EXPECT_EQ(rig.sims[0]->SubmissionCount() + rig.sims[1]->SubmissionCount(), 1);
    EXPECT_EQ(rig.sims[1]->SubmissionCount(), 0); // worker 1 was never started
}

TEST(SendRun, DuplicatesAndExclusions) {
    Rig rig({QStringLiteral("default"), QStringLiteral("default")});
    rig.rows = {{"+111", "a"}, {"+222", "b"}, {"+111", "c"}, {"+333", "d"}, {"+333", "e"}};
    rig.exclusion.Add(u"+333");
    rig.ctx.options.skipDuplicates = true;
    rig.ctx.options.useExclusion = true;
    rig.ctx.options.saveSentItems = true;
    auto run = rig.Run();
    EXPECT_EQ(Statuses(*run), (QStringList{"Message sent successfully.", "Message sent successfully.", "Skipped.",
                                           "Excluded.", "Excluded."}));
    const auto accepted = rig.Accepted();
    EXPECT_EQ(accepted.size(), 2u);
    EXPECT_EQ(accepted.at(QStringLiteral("+111")), 1);
    run.reset();
    EXPECT_EQ(rig.Logged().size(), 2); // skipped and excluded rows are not logged
}

TEST(SendRun, RetriesAnAlwaysFailingNumberAndLogsItOnce) {
    Rig rig({QStringLiteral("cms:38")});
    rig.AddRows(1);
    rig.ctx.options.retriesOn = true;
    rig.ctx.options.totalRetries = 2;
    rig.ctx.options.saveSentItems = true;
    auto run = rig.Run();
    const SendJob::Row row = run->Job().RowAt(0);
    EXPECT_EQ(row[SendJob::kStatus], QStringLiteral("Error : +CMS ERROR: 38"));
    EXPECT_EQ(row[SendJob::kUseStatus], QStringLiteral("Done"));
    EXPECT_EQ(row[SendJob::kRetry], QStringLiteral("2"));
    EXPECT_EQ(rig.state.retryPass.load(), 2);
    run.reset();
    const auto logged = rig.Logged();
    ASSERT_EQ(logged.size(), 1);
    EXPECT_EQ(logged[0].status, QStringLiteral("Error : +CMS ERROR: 38"));
}

// Three passes (two retries) over a number the network refuses for good, one that fails twice for a while, and
// one that passes: the refused number is tried once and its row says why it was not retried, in the run's
// Status and in the sent items; "Retry every failed message" tries it in every pass as before.
TEST(SendRun, APermanentRefusalIsTriedOnceWhileATemporaryFailureIsRetried) {
    const QString refused = QStringLiteral("+15550001000");
    const QString busy = QStringLiteral("+15550001001");
    const QString fine = QStringLiteral("+15550001002");
    for (const bool retryAll : {false, true}) {
        SCOPED_TRACE(retryAll ? "retry every failed message" : "permanent errors not retried");
        Rig rig({QStringLiteral("reject:%1=1,tempfail:%2=38:2").arg(refused, busy)});
        rig.ctx.devicesInUse.front().record.smsMode = DeviceRecord::kModeText; // the command log names the numbers
        rig.AddRows(3);
        rig.ctx.options.retriesOn = true;
        rig.ctx.options.totalRetries = 2;
        rig.ctx.options.retryAllErrors = retryAll;
        rig.ctx.options.saveSentItems = true;
        auto run = rig.Run();
        const auto tries = [&rig](const QString& number) {
            return rig.sims.front()->CountCommands(QStringLiteral("AT+CMGS=\"%1\"").arg(number));
        };
        EXPECT_EQ(tries(refused), retryAll ? 3 : 1);
        EXPECT_EQ(tries(busy), 3);
        EXPECT_EQ(tries(fine), 1);

        const QString refusal = retryAll
                                    ? QStringLiteral("Error : +CMS ERROR: 1")
                                    : QStringLiteral("Error : +CMS ERROR: 1 (permanent: unassigned number; not retried)");
        const SendJob::Row row = run->Job().RowAt(0);
        EXPECT_EQ(row[SendJob::kStatus], refusal);
        EXPECT_EQ(row[SendJob::kRetry], retryAll ? QStringLiteral("2") : QStringLiteral("0"));
        EXPECT_TRUE(row[SendJob::kCurrentStatus].startsWith(QLatin1String("Done (")));
        EXPECT_EQ(Statuses(*run).mid(1),
                  (QStringList{SubmissionResult::kSentSuccessfully, SubmissionResult::kSentSuccessfully}));
        run.reset();
        const auto logged = rig.Logged();
        ASSERT_EQ(logged.size(), 3);
        const auto entry = std::find_if(logged.cbegin(), logged.cend(),
                                        [&refused](const SentItemRecord& r) { return r.number == refused; });
        ASSERT_NE(entry, logged.cend());
        EXPECT_EQ(entry->status, refusal);
    }
}

TEST(SendRun, PausesEveryTwoAttemptsButNotAfterTheLastRow) {
    Rig rig({QStringLiteral("default"), QStringLiteral("default")});
    rig.AddRows(4);
    rig.ctx.options.delayedDelivery = true;
    rig.ctx.options.pauseEvery = QStringLiteral("2");
    rig.ctx.options.pauseFor = QStringLiteral(" 5  Seconds");
    auto run = rig.Run();
    EXPECT_EQ(rig.observer.pauses, 1);
    EXPECT_EQ(rig.Accepted().size(), 4u);
}

TEST(SendRun, StopDuringAPauseStopsTheRemainingRows) {
    Rig rig({QStringLiteral("default")});
    rig.AddRows(6);
    rig.ctx.options.delayedDelivery = true;
    rig.ctx.options.pauseEvery = QStringLiteral("2");
    rig.ctx.options.pauseFor = QStringLiteral(" 2  Hours");
    rig.ctx.options.saveSentItems = true;
    rig.prompter.Script({Prompter::Answer::Yes});
    SendRun run(rig.ctx);
    run.Open();
    for (int i = 0; i < 500 && rig.state.paused.load() == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(rig.state.paused.load(), 1);
    run.RequestStop(false);
    ASSERT_TRUE(run.WaitForEnd(20000));
    EXPECT_EQ(rig.prompter.Messages(), QStringList{QStringLiteral("Are you sure you want to continue?")});
    const QStringList statuses = Statuses(run);
    EXPECT_EQ(statuses.count(QStringLiteral("Message sent successfully.")), 2);
    EXPECT_EQ(statuses.count(QStringLiteral("Stopped")), 4);
    EXPECT_EQ(rig.Accepted().size(), 2u);
}

TEST(SendRun, ManualQuotaHandsTheRestToTheOtherDevice) {
    Rig rig({QStringLiteral("default"), QStringLiteral("slow:30")});
    rig.AddRows(10);
    rig.ctx.options.quotaManagement = true;
    const QString limited = rig.ctx.devicesInUse[0].record.portName;
    rig.ctx.quotaFor = [limited](const QString& port) {
        return port == limited ? DeviceQuota{3, DeviceQuota::Mode::Manual} : DeviceQuota{};
    };
    QStringList usage;
    std::mutex usageMutex;
    rig.ctx.recordUsage = [&](const QString& port, int sent) {
        std::lock_guard lock(usageMutex);
        usage << QStringLiteral("%1|%2").arg(port).arg(sent);
    };
    auto run = rig.Run();
    EXPECT_EQ(rig.sims[0]->SubmissionCount(), 3);
    EXPECT_EQ(rig.sims[1]->SubmissionCount(), 7);
    EXPECT_TRUE(usage.contains(limited + QStringLiteral("|3")));
}

TEST(SendRun, AModemUnpluggedMidRunLeavesTheRestToTheOthers) {
    Rig rig({QStringLiteral("slow:40"), QStringLiteral("slow:40")});
    rig.AddRows(20);
    rig.ctx.options.saveSentItems = true;
    SendRun run(rig.ctx);
    run.Open();
    for (int i = 0; i < 500 && rig.sims[0]->SubmissionCount() < 2; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    rig.sims[0]->Stop();
    ASSERT_TRUE(run.WaitForEnd(60000));
    const QStringList statuses = Statuses(run);
    // At most the row in flight fails; every other row goes through the remaining modem, none twice.
    EXPECT_GE(statuses.count(QStringLiteral("Message sent successfully.")), 19);
    const auto accepted = rig.Accepted();
    for (const auto& [number, count] : accepted)
        EXPECT_EQ(count, 1) << number.toStdString();
    // Every row reported sent was accepted by a modem.
    for (int r = 0; r < run.Job().RowCount(); ++r) {
        if (statuses.at(r) == QLatin1String("Message sent successfully.")) {
            EXPECT_EQ(accepted.count(run.Job().Text(r, SendJob::kNumber)), 1u);
        }
    }
}

TEST(SendRun, AnUnsupportedSmsModeFailsEveryAttempt) {
    Rig rig({QStringLiteral("default")});
    rig.ctx.devicesInUse[0].record.smsMode = DeviceRecord::kModeNotChosen;
    rig.AddRows(2);
    auto run = rig.Run();
    EXPECT_EQ(Statuses(*run), (QStringList{"Error : +CMS ERROR: 500", "Error : +CMS ERROR: 500"}));
    EXPECT_EQ(rig.sims[0]->SubmissionCount(), 0);
}
