#include "sending/SendJob.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct JobCase {
    const char* country; // "" for none
    std::vector<const char*> numbers;
    std::vector<bool> laterDuplicate; // per row
};

// The job's duplicate test ("Skipped." rows): the first row of a number is sent, later rows of the same
// number, written any way, are duplicates when the job compares by international form.
const JobCase kJobs[] = {
    {"GB", {"+447700900556", "07700900556", "00447700900556", "07700900557"}, {false, true, true, false}},
    {"GB", {"07700900556", "+447700900556"}, {false, true}},
    {"GB", {"88211", "+4488211", "88211"}, {false, false, true}}, // a short code compares as its text
    {"IT", {"0612345678", "+390612345678", "612345678"}, {false, true, false}},
    {"US", {"2025550142", "12025550142", "+12025550142", "5550142"}, {false, true, true, false}},
    // Without a country the exact text decides, as it always has.
    {"", {"+447700900556", "07700900556", "+447700900556"}, {false, false, true}},
};

TEST(SendJobDuplicateTest, LaterRowsOfOneNumberInAnyFormatAreDuplicates) {
    for (const JobCase& c : kJobs) {
        SendJob job;
        job.SetNumberComparison(NumberComparison::ForCountry(QString::fromLatin1(c.country)));
        for (const char* number : c.numbers)
            job.AppendRow(QString::fromLatin1(number), QStringLiteral("m"));
        for (size_t row = 0; row < c.numbers.size(); ++row) {
            EXPECT_EQ(job.IsLaterDuplicate(static_cast<int>(row)), c.laterDuplicate[row])
                << c.country << " row " << row << " " << c.numbers[row];
            // The row keeps the number as given.
            EXPECT_EQ(job.Text(static_cast<int>(row), SendJob::kNumber), QString::fromLatin1(c.numbers[row]));
        }
    }
}

TEST(SendJobDuplicateTest, SettingTheComparisonAfterTheRowsReindexesThem) {
    SendJob job;
    job.AppendRow(QStringLiteral("07700900556"), QStringLiteral("a"));
    job.AppendRow(QStringLiteral("+447700900556"), QStringLiteral("b"));
    EXPECT_FALSE(job.IsLaterDuplicate(1));
    job.SetNumberComparison(NumberComparison::ForCountry(QStringLiteral("GB")));
    EXPECT_FALSE(job.IsLaterDuplicate(0));
    EXPECT_TRUE(job.IsLaterDuplicate(1));
    job.Clear();
    job.AppendRow(QStringLiteral("+447700900556"), QStringLiteral("c"));
    job.AppendRow(QStringLiteral("07700 900556"), QStringLiteral("d"));
    EXPECT_TRUE(job.IsLaterDuplicate(1)); // the comparison outlives Clear
}

} // namespace
