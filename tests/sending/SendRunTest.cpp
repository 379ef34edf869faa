// Whole runs over several simulated modems on real pseudo-terminals, with a scaled clock.

#include "SendRunRig.h"
#include "exclusion/ExclusionSet.h"
#include "exclusion/ExclusionStore.h"
#include "exclusion/LoadExclusionSet.h"
#include "modem/CSMSSerialPort.h"
#include "sending/DeliveryCollector.h"
#include "fakes/ScriptedPrompter.h"
#include "records/SentItemsStore.h"
#include "sending/SendRun.h"
#include "sending/SendState.h"
#include "sim/SimIncomingMessage.h"
#include "sim/SimModem.h"
#include "sms/SubmissionResult.h"

#include <gtest/gtest.h>

#include <QSet>
#include <QTemporaryDir>

#include <chrono>
#include <thread>

#include <algorithm>
#include <memory>

namespace {

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

namespace {

// Collects from every modem of the rig until the reports awaited have come or 20 s have passed (the modems'
// report delay is short; the limit only ends a broken run).
void CollectUntilDone(DeliveryCollector& collector, Rig& rig, int passesAfterDone = 0) {
    std::vector<std::unique_ptr<CSMSSerialPort>> ports;
    for (const auto& sim : rig.sims) {
        ports.push_back(std::make_unique<CSMSSerialPort>());
        ports.back()->Open(2000, sim->PortName());
        static_cast<void>(collector.Prepare(*ports.back()));
    }
    const auto start = std::chrono::steady_clock::now();
    int extra = passesAfterDone;
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(20)) {
        for (auto& port : ports)
            collector.Collect(*port, 0);
        if (collector.AwaitedParts() == 0 && extra-- <= 0)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_TRUE(collector.SaveSentItems());
}

} // namespace

// Send with delivery reports over two modems (whose message references both start at the same value), close the
// sending window before the reports come, then collect as `listen` does: each row's sent item says what became
// of it, a long message only once all its parts are delivered.
TEST(SendRun, DeliveryReportsArriveAfterTheWindowClosedAndReachTheSentItems) {
    const QString profile = QStringLiteral("report-delay:3000,report:+1555*1003=failed:0x41");
    Rig rig({profile, profile});
    rig.ctx.options.saveSentItems = true;
    rig.ctx.options.deliveryReports = true;
    rig.AddRows(6);
    rig.rows.emplace_back(QStringLiteral("+15559999999"), QString(300, QLatin1Char('y'))); // two parts
    const auto run = rig.Run();
    for (int r = 0; r < run->Job().RowCount(); ++r) {
        EXPECT_EQ(run->Job().Text(r, SendJob::kDelivery), QStringLiteral("Awaiting delivery report")) << r;
        EXPECT_FALSE(run->Job().Text(r, SendJob::kReferences).isEmpty()) << r;
    }
    QList<SentItemRecord> logged = rig.Logged();
    ASSERT_EQ(logged.size(), 7);
    for (const SentItemRecord& record : logged)
        EXPECT_EQ(record.delivery, QStringLiteral("Awaiting delivery report")) << record.number.toStdString();
    run->RequestStop(true);
    rig.slots.CloseAll();

    InboxStore inbox(rig.dir.filePath(QStringLiteral("Inbox.vrix")));
    DeliveryCollector collector({rig.sentItems.get(), &inbox, nullptr}, NumberComparison());
    ASSERT_TRUE(collector.LoadSentItems());
    EXPECT_EQ(collector.AwaitedParts(), 8u);
    CollectUntilDone(collector, rig);
    EXPECT_EQ(collector.AwaitedParts(), 0u);

    logged = rig.Logged();
    ASSERT_EQ(logged.size(), 7);
    for (const SentItemRecord& record : logged) {
        const QString expected = record.number == QLatin1String("+15550001003")
                                     ? QStringLiteral("Delivery failed: ") + TpStatus{0x41}.Meaning()
                                     : QStringLiteral("Delivered");
        EXPECT_EQ(record.delivery, expected) << record.number.toStdString();
    }
    EXPECT_EQ(collector.Counts().delivered + collector.Counts().failed, 7);
    EXPECT_EQ(collector.Counts().unmatchedReports, 0);
    QList<InboxRecord> kept;
    ASSERT_TRUE(inbox.Load(&kept));
    for (const InboxRecord& r : kept)
        ADD_FAILURE() << "kept in the inbox: " << r.number.toStdString() << " " << r.text.toStdString() << " "
                      << r.raw.toStdString();

    // Every report (one a part) was taken off its device once used; which modem sent how many rows is not
    // checked (on a loaded machine one may take them all).
    int deleted = 0;
    for (const auto& sim : rig.sims)
        deleted += sim->CountCommands(QStringLiteral("AT+CMGD="));
    EXPECT_EQ(deleted, 8);
}

// A reply "STOP" puts its sender on the opt-out list; the next send with exclusion rules skips that number.
TEST(SendRun, AStopReplyExcludesTheSenderFromTheNextSend) {
    Rig rig({QStringLiteral("default")});
    SimIncomingMessage stop;
    stop.from = QStringLiteral("+15550001001");
    stop.text = QStringLiteral("  stop ");
    ASSERT_TRUE(rig.sims.front()->Inject(stop));
    SimIncomingMessage hello;
    hello.from = QStringLiteral("+15550001002");
    hello.text = QStringLiteral("Stop it, I like these") + QString(200, QLatin1Char('!')); // two parts, no opt-out
    ASSERT_TRUE(rig.sims.front()->Inject(hello));

    InboxStore inbox(rig.dir.filePath(QStringLiteral("Inbox.vrix")));
    const DataPaths paths(rig.dir.path());
    paths.EnsureDataFiles();
    ExclusionStore exclusionStore{paths};
    DeliveryCollector collector({rig.sentItems.get(), &inbox, &exclusionStore}, NumberComparison());
    ASSERT_TRUE(collector.LoadSentItems());
    CollectUntilDone(collector, rig, 3);
    EXPECT_EQ(collector.Counts().messages, 2);
    EXPECT_EQ(collector.Counts().optOuts, 1);

    QList<InboxRecord> received;
    ASSERT_TRUE(inbox.Load(&received));
    ASSERT_EQ(received.size(), 2);
    EXPECT_EQ(received[0].number, QStringLiteral("+15550001001"));
    EXPECT_TRUE(received[0].optOut);
    EXPECT_EQ(received[1].text, hello.text);
    EXPECT_FALSE(received[1].optOut);
    EXPECT_EQ(rig.sims.front()->CountCommands(QStringLiteral("AT+CMGD=")), 3); // one message, two parts

    rig.exclusion = LoadExclusionSet(exclusionStore).set;
    rig.ctx.options.useExclusion = true;
    rig.AddRows(3);
    const auto run = rig.Run();
    EXPECT_EQ(Statuses(*run).at(1), QStringLiteral("Excluded."));
    EXPECT_EQ(rig.Accepted().count(QStringLiteral("+15550001001")), 0u);
    EXPECT_EQ(rig.Accepted().size(), 2u);
}
