// A run's settings as the journal keeps them: read back as written, and a run recorded before a setting
// existed gets that setting's default.

#include "session/RunSettings.h"

#include <gtest/gtest.h>

TEST(RunSettings, ReadBackAsWrittenWithDefaultsForWhatAnOlderRunLacks) {
    RunSettings written;
    written.options.retriesOn = true;
    written.options.totalRetries = 2;
    written.options.pauseEvery = QStringLiteral("15");
    written.options.reconnectWaitSeconds = 0;
    written.unicode = true;
    written.country = QStringLiteral("IN");
    written.quotaSettings = QStringLiteral(";/dev/ttyUSB0;SIM800;Manual;5;Y;\n\n");
    const std::optional<RunSettings> read = RunSettings::FromBlob(written.ToBlob());
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->options.retriesOn);
    EXPECT_EQ(read->options.totalRetries, 2);
    EXPECT_EQ(read->options.pauseEvery, QStringLiteral("15"));
    EXPECT_EQ(read->options.reconnectWaitSeconds, 0); // not waiting is kept, not taken for "unset"
    EXPECT_TRUE(read->unicode);
    EXPECT_EQ(read->country, QStringLiteral("IN"));
    EXPECT_EQ(read->quotaSettings, written.quotaSettings);

    const std::optional<RunSettings> older = RunSettings::FromBlob(R"({"retriesOn":false,"unicode":false})");
    ASSERT_TRUE(older);
    EXPECT_EQ(older->options.reconnectWaitSeconds, SendOptions().reconnectWaitSeconds);

    EXPECT_FALSE(RunSettings::FromBlob("not json"));
    EXPECT_FALSE(RunSettings::FromBlob("[1,2]"));
}
