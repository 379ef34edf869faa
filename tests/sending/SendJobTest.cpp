#include "common/ResultText.h"
#include "sending/PauseSetting.h"
#include "sending/SendJob.h"

#include <gtest/gtest.h>

namespace {
const SendJob::Worker kW1{QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/ttyUSB0 - Modem A")};
const SendJob::Worker kW2{QStringLiteral("/dev/ttyUSB1"), QStringLiteral("/dev/ttyUSB1 - Modem B")};
} // namespace

TEST(SendJob, ARowIsTakenByOneWorkerOnly) {
    SendJob job;
    job.AppendRow(QStringLiteral("111"), QStringLiteral("a"));
    EXPECT_TRUE(job.ClaimTest(0));
    EXPECT_TRUE(job.Take(0, kW1));
    EXPECT_FALSE(job.ClaimTest(0));
    EXPECT_FALSE(job.Take(0, kW2));
    const SendJob::Row row = job.RowAt(0);
    EXPECT_EQ(row[SendJob::kUseStatus], QStringLiteral("Sending..."));
    EXPECT_EQ(row[SendJob::kCurrentStatus], QStringLiteral("Sending (/dev/ttyUSB0 - Modem A)"));
    EXPECT_EQ(row[SendJob::kUsePort], QStringLiteral("/dev/ttyUSB0"));
    EXPECT_TRUE(job.IsPending());

    // Another worker's result is ignored; the owner's is recorded.
    EXPECT_FALSE(job.RecordResult(0, kW2, QStringLiteral("Message sent successfully."), {false, 0}).written);
    const auto recorded = job.RecordResult(0, kW1, QStringLiteral("Message sent successfully."), {false, 0});
    EXPECT_TRUE(recorded.written && recorded.final && recorded.sent);
    EXPECT_EQ(job.Text(0, SendJob::kCurrentStatus), QStringLiteral("Done (/dev/ttyUSB0 - Modem A)"));
    EXPECT_FALSE(job.IsPending());
    EXPECT_TRUE(job.MarkSentItem(0));
    EXPECT_FALSE(job.MarkSentItem(0));
}

TEST(SendJob, FailedRowWaitsForTheNextRetryPass) {
    SendJob job;
    job.AppendRow(QStringLiteral("111"), QStringLiteral("a"));
    job.AppendRow(QStringLiteral("222"), QStringLiteral("b"));
    ASSERT_TRUE(job.Take(0, kW1));
    ASSERT_TRUE(job.Take(1, kW1));
    const auto failed = job.RecordResult(0, kW1, QStringLiteral("Error : +CMS ERROR: 38"), {true, 3});
    EXPECT_TRUE(failed.written);
    EXPECT_FALSE(failed.final);
    job.RecordResult(1, kW1, QStringLiteral("Message sent successfully."), {true, 3});
    SendJob::Row row = job.RowAt(0);
    EXPECT_EQ(row[SendJob::kUseStatus], QStringLiteral("Done"));
    EXPECT_EQ(row[SendJob::kCurrentStatus], QStringLiteral("Wait to dispatch...(Retry)"));
    // The claim test lets it through, the send step still refuses it until the requeue.
    EXPECT_TRUE(job.ClaimTest(0));
    EXPECT_FALSE(job.Take(0, kW2));

    EXPECT_EQ(job.RequeueFailed(), 1);
    row = job.RowAt(0);
    EXPECT_EQ(row[SendJob::kRetry], QStringLiteral("1"));
    EXPECT_EQ(row[SendJob::kUseStatus], QStringLiteral("Wait to dispatch...(Retry)"));
    EXPECT_EQ(row[SendJob::kCurrentStatus], QStringLiteral("Wait to dispatch...(Retry)"));
    EXPECT_EQ(row[SendJob::kStatus], QStringLiteral("Error : +CMS ERROR: 38"));
    EXPECT_TRUE(job.IsPending());
    EXPECT_TRUE(job.Take(0, kW2));
    EXPECT_FALSE(job.Take(0, kW1));
    // The last allowed pass makes the failure final.
    job.SetText(0, SendJob::kRetry, QStringLiteral("3"));
    EXPECT_TRUE(job.RecordResult(0, kW2, QStringLiteral("Error : +CMS ERROR: 38"), {true, 3}).final);
}

// A permanent error is not retried (unless every failure is), and the row's Status says so and why; a temporary
// one waits for the next pass. The last pass adds nothing: no retry was left to leave out.
TEST(SendJob, PermanentErrorsAreNotRetried) {
    struct Case {
        const char* result;
        SendJob::RetryRule rule;
        int retriesSoFar;
        bool final;
        const char* status;
        bool requeued;
    };
    // requeued: a retry pass starting now would take the row again.
    const Case cases[] = {
        {"Error : +CMS ERROR: 1", {true, 2, false}, 0, true,
         "Error : +CMS ERROR: 1 (permanent: unassigned number; not retried)", false},
        {"Error : +CMS ERROR: 10", {true, 2, false}, 1, true,
         "Error : +CMS ERROR: 10 (permanent: call barred; not retried)", false},
        {"Error : +CMS ERROR: 304", {true, 2, false}, 0, true,
         "Error : +CMS ERROR: 304 (permanent: invalid PDU mode parameter; not retried)", false},
        {"Error : +CMS ERROR: 38", {true, 2, false}, 0, false, "Error : +CMS ERROR: 38", true},
        {"Error : +CMS ERROR: 500", {true, 2, false}, 0, false, "Error : +CMS ERROR: 500", true},
        {"Error : +CME ERROR: 1", {true, 2, false}, 0, false, "Error : +CME ERROR: 1", true},
        {"Error : +CMS ERROR: 1", {true, 2, true}, 0, false, "Error : +CMS ERROR: 1", true},  // retry every failure
        {"Error : +CMS ERROR: 1", {true, 2, false}, 2, true, "Error : +CMS ERROR: 1", true},  // the last pass anyway
        {"Error : +CMS ERROR: 1", {false, 0, false}, 0, true, "Error : +CMS ERROR: 1", true}, // no retries at all
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result);
        SendJob job;
        job.AppendRow(QStringLiteral("111"), QStringLiteral("a"));
        job.SetText(0, SendJob::kRetry, QString::number(c.retriesSoFar));
        ASSERT_TRUE(job.Take(0, kW1));
        const SendJob::Recorded recorded = job.RecordResult(0, kW1, QLatin1String(c.result), c.rule);
        EXPECT_EQ(recorded.final, c.final);
        EXPECT_FALSE(recorded.sent);
        const QString status = job.Text(0, SendJob::kStatus);
        EXPECT_EQ(status, QLatin1String(c.status));
        EXPECT_TRUE(ResultText::IsFailure(status)); // still a failure for the filters and the exit status
        EXPECT_EQ(job.RequeueFailed(), c.requeued ? 0 : 1); // the rows already done
    }
}

TEST(SendJob, SkipDecisionsAndDuplicates) {
    SendJob job;
    for (const char* n : {"111", "222", "111", "333", "111"})
        job.AppendRow(QLatin1String(n), QStringLiteral("m"));
    EXPECT_FALSE(job.IsLaterDuplicate(0));
    EXPECT_TRUE(job.IsLaterDuplicate(2));
    EXPECT_TRUE(job.IsLaterDuplicate(4));
    EXPECT_FALSE(job.IsLaterDuplicate(3));
    EXPECT_TRUE(job.RecordSkip(2, kW1, SendJob::Skip::Skipped));
    EXPECT_EQ(job.Text(2, SendJob::kStatus), QStringLiteral("Skipped."));
    EXPECT_EQ(job.Text(2, SendJob::kUseStatus), QStringLiteral("Done"));
    EXPECT_FALSE(job.RecordSkip(2, kW2, SendJob::Skip::Excluded)); // already decided
    EXPECT_TRUE(job.RecordSkip(3, kW2, SendJob::Skip::Excluded));
    EXPECT_EQ(job.Text(3, SendJob::kStatus), QStringLiteral("Excluded."));
    EXPECT_EQ(job.RequeueFailed(), 5); // no row failed: every one counts as done
}

TEST(SendJob, WaitingRowsBecomeStopped) {
    SendJob job;
    for (const char* n : {"1", "2", "3"})
        job.AppendRow(QLatin1String(n), QStringLiteral("m"));
    ASSERT_TRUE(job.Take(0, kW1));
    job.RecordResult(0, kW1, QStringLiteral("Message sent successfully."), {false, 0});
    ASSERT_TRUE(job.Take(1, kW1));
    job.RecordResult(1, kW1, QStringLiteral("Error : +CMS ERROR: 500"), {false, 0});
    job.MarkWaitingStopped();
    EXPECT_EQ(job.Text(2, SendJob::kStatus), QStringLiteral("Stopped"));
    EXPECT_EQ(job.Text(2, SendJob::kCurrentStatus), QStringLiteral("Stopped"));
    EXPECT_EQ(job.Text(0, SendJob::kStatus), QStringLiteral("Message sent successfully."));
}

TEST(SendJob, ProgressLabel) {
    EXPECT_EQ(SendJob::ProgressLabel(3, 12), QStringLiteral("3 / 12 Message or 25.00%"));
    EXPECT_EQ(SendJob::ProgressLabel(0, 12), QStringLiteral("1 / 12 Message or 8.00%"));
    EXPECT_EQ(SendJob::ProgressLabel(20, 12), QStringLiteral("12 / 12 Message or 100.00%"));
    EXPECT_EQ(SendJob::ProgressLabel(1, 3), QStringLiteral("1 / 3 Message or 33.00%"));
    EXPECT_EQ(SendJob::ColumnCaptions().size(), int(SendJob::kColumnCount));
    EXPECT_EQ(SendJob::ColumnCaptions().value(SendJob::kDelivery), QStringLiteral("Delivery"));
}

TEST(PauseSetting, DurationsAndCountdown) {
    EXPECT_EQ(PauseSetting::DurationChoices().size(), 32);
    EXPECT_EQ(PauseSetting::DurationChoices().first(), QStringLiteral(" 5  Seconds"));
    EXPECT_EQ(PauseSetting::DurationChoices().last(), QStringLiteral("12 Hours"));
    EXPECT_TRUE(PauseSetting::DurationChoices().contains(QStringLiteral(" 2  Minutes")));
    EXPECT_EQ(PauseSetting::DurationMs(QStringLiteral(" 5  Seconds")), 5000);
    EXPECT_EQ(PauseSetting::DurationMs(QStringLiteral("55 Seconds")), 55000);
    EXPECT_EQ(PauseSetting::DurationMs(QStringLiteral(" 2  Hours")), 7200000);
    EXPECT_EQ(PauseSetting::DurationMs(QStringLiteral("10 Minutes")), 600000);
    EXPECT_FALSE(PauseSetting::DurationMs(QStringLiteral("No pause")).has_value());
    for (const QString& choice : PauseSetting::DurationChoices())
        EXPECT_TRUE(PauseSetting::DurationMs(choice).has_value()) << choice.toStdString();
    EXPECT_EQ(PauseSetting::DurationFromPlain(QStringLiteral("5s")), QStringLiteral(" 5  Seconds"));
    EXPECT_EQ(PauseSetting::DurationFromPlain(QStringLiteral("2m")), QStringLiteral(" 2  Minutes"));
    EXPECT_EQ(PauseSetting::DurationFromPlain(QStringLiteral("1h")), QStringLiteral(" 1  Hour"));
    EXPECT_EQ(PauseSetting::DurationFromPlain(QStringLiteral("7s")), QString());
    EXPECT_EQ(PauseSetting::EveryCount(QStringLiteral("15")), 15);
    EXPECT_EQ(PauseSetting::CountdownText((3600 + 30 * 60 + 5) * 1000),
              QStringLiteral("Pausing the process for 1 Hour 30 Minutes 5 Seconds."));
    EXPECT_EQ(PauseSetting::CountdownText(1000), QStringLiteral("Pausing the process for 1 Second."));
    EXPECT_EQ(PauseSetting::CountdownText(125000), QStringLiteral("Pausing the process for 2 Minutes 5 Seconds."));
    EXPECT_EQ(PauseSetting::CountdownText(2 * 3600000),
              QStringLiteral("Pausing the process for 2 Hours 0 Minute 0 Second."));
}

// A row is final once nothing in the run will change its result again: the command line prints it then.
TEST(SendJob, RowIsFinalOnlyWithItsLastResult) {
    SendJob job;
    for (const char* number : {"111", "222", "333", "444", "555"})
        job.AppendRow(QLatin1String(number), QStringLiteral("m"));
    const auto final = [&job](int row) { return SendJob::IsFinal(job.RowAt(row)); };
    EXPECT_FALSE(final(0));
    ASSERT_TRUE(job.Take(0, kW1));
    EXPECT_FALSE(final(0));
    // Two retry passes: the first failure waits for a pass; during the pass the old error is still shown.
    ASSERT_TRUE(job.RecordResult(0, kW1, QStringLiteral("Error : +CMS ERROR: 500"), {true, 1}).written);
    EXPECT_FALSE(final(0));
    job.RequeueFailed();
    EXPECT_FALSE(final(0));
    ASSERT_TRUE(job.Take(0, kW2));
    EXPECT_FALSE(final(0));
    ASSERT_TRUE(job.RecordResult(0, kW2, QStringLiteral("Error : +CMS ERROR: 500"), {true, 1}).final);
    EXPECT_TRUE(final(0));

    ASSERT_TRUE(job.Take(1, kW1));
    ASSERT_TRUE(job.RecordResult(1, kW1, QStringLiteral("Message sent successfully."), {true, 1}).final);
    EXPECT_TRUE(final(1));
    EXPECT_TRUE(job.RecordSkip(2, kW1, SendJob::Skip::Excluded));
    EXPECT_TRUE(final(2));
    // A permanent error is not retried, so it is final at once even with retry passes to come.
    ASSERT_TRUE(job.Take(4, kW1));
    ASSERT_TRUE(job.RecordResult(4, kW1, QStringLiteral("Error : +CMS ERROR: 1"), {true, 1}).final);
    EXPECT_TRUE(final(4));
    job.MarkWaitingStopped();
    EXPECT_TRUE(final(3));
}
