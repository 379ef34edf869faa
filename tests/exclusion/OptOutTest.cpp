// Opt-out replies: the keywords, and the list they feed.

#include "exclusion/OptOut.h"
#include "exclusion/LoadExclusionSet.h"
#include "exclusion/OptOutSettings.h"
#include "app/UserSettings.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

TEST(OptOut, WholeTrimmedTextIsAKeywordIgnoringCase) {
    struct Case {
        const char* text;
        bool optOut;
    } cases[] = {
        {"STOP", true},      {"stop", true},        {"  Stop \n", true}, {"STOP ALL", true},
        {"stop  all", true}, {"Unsubscribe", true}, {"cancel", true},    {"END", true},
        {"quit", true},      {"STOP.", false},      {"Stop it", false},  {"please stop", false},
        {"", false},         {"   ", false},        {"STOPALL", false},  {"ending", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OptOut::IsOptOut(QString::fromUtf8(c.text)), c.optOut) << c.text;
    EXPECT_TRUE(OptOut::IsOptOut(QStringLiteral("basta"), {QStringLiteral("BASTA")}));
    EXPECT_FALSE(OptOut::IsOptOut(QStringLiteral("stop"), {QStringLiteral("BASTA")}));
}

TEST(OptOut, TheSenderGoesOnAnAppliedListOnce) {
    QTemporaryDir dir;
    const DataPaths paths(dir.path());
    paths.EnsureDataFiles();
    ExclusionStore store(paths);
    ASSERT_TRUE(OptOut::AddToList(store, QStringLiteral("+15550001")).Ok());
    ASSERT_TRUE(OptOut::AddToList(store, QStringLiteral("+15550002")).Ok());
    ASSERT_TRUE(OptOut::AddToList(store, QStringLiteral("+15550001")).Ok());
    EXPECT_EQ(store.ListNames().lines, QStringList{QStringLiteral("Opt-outs")});
    EXPECT_EQ(store.LoadList(QStringLiteral("Opt-outs")).lines,
              (QStringList{QStringLiteral("+15550001"), QStringLiteral("+15550002")}));
    EXPECT_EQ(store.AppliedNames().lines, QStringList{QStringLiteral("Opt-outs")});
    const ExclusionSet set = LoadExclusionSet(store).set;
    EXPECT_TRUE(set.IsExcluded(u"+15550002"));
    EXPECT_FALSE(set.IsExcluded(u"+15550003"));
}

TEST(OptOutSettings, KeptAcrossStartsAndRefusedWithoutKeywordOrUsableList) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.ini"));
    {
        UserSettings settings(path);
        const OptOutSettings defaults = OptOutSettings::Load(settings);
        EXPECT_EQ(defaults.keywords, OptOut::DefaultKeywords());
        EXPECT_EQ(defaults.list, OptOut::kDefaultList);
        OptOutSettings mine;
        mine.keywords = OptOutSettings::ParseKeywords(QStringLiteral(" Stop \nSTOP\nhalt,  end   now \n\n"));
        EXPECT_EQ(mine.keywords, QStringList({QStringLiteral("Stop"), QStringLiteral("halt"), QStringLiteral("end now")}));
        mine.list = QStringLiteral("Unsubscribed");
        EXPECT_TRUE(mine.Refusal().isEmpty());
        mine.Save(settings);
    }
    UserSettings again(path);
    const OptOutSettings kept = OptOutSettings::Load(again);
    EXPECT_EQ(kept.keywords, QStringList({QStringLiteral("Stop"), QStringLiteral("halt"), QStringLiteral("end now")}));
    EXPECT_EQ(kept.list, QStringLiteral("Unsubscribed"));
    EXPECT_TRUE(OptOut::IsOptOut(QStringLiteral("END  NOW"), kept.keywords));

    OptOutSettings bad;
    bad.keywords = {QStringLiteral("  ")};
    EXPECT_EQ(bad.Refusal(), OptOutSettings::kNoKeyword);
    bad.keywords = {QStringLiteral("STOP")};
    bad.list = QStringLiteral(" ");
    EXPECT_EQ(bad.Refusal(), OptOutSettings::kNoList);
    bad.list = QStringLiteral("../Opt-outs");
    EXPECT_EQ(bad.Refusal(), OptOutSettings::kBadList);
}
