#include "exclusion/NumberComparison.h"
#include "exclusion/ExclusionSet.h"
#include "exclusion/ExclusionStore.h"
#include "exclusion/LoadExclusionSet.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ExclusionCase {
    const char* country; // "" for no default country
    const char* entry;   // a line of an applied exclusion list
    const char* number;  // the number tested
    bool excluded;
};

// One person, one number: the entry excludes every way of writing its number for the default country, and
// nothing else. Without a country, texts compare as they are.
const ExclusionCase kExclusions[] = {
    // The case and its mirror image.
    {"GB", "+447700900555", "07700 900555", true},
    {"GB", "07700 900555", "+447700900555", true},
    {"GB", "+447700900555", "07700900555", true},
    {"GB", "07700900555", "+44 7700 900555", true},
    // Dashes, brackets, dots, "00" and the trunk prefix after the calling code, on either side.
    {"GB", "+447700900555", "07700-900-555", true},
    {"GB", "(07700) 900555", "+447700900555", true},
    {"GB", "+447700900555", "0044 7700 900555", true},
    {"GB", "0044-7700-900555", "07700.900.555", true},
    {"GB", "+44 (0) 7700 900555", "07700900555", true},
    {"GB", "+447700900555", "447700900555", true},
    // Another number, another country's number with the same digits.
    {"GB", "+447700900555", "07700900556", false},
    {"GB", "+447700900555", "+337700900555", false},
    {"GB", "+33612345678", "0033 6 12 34 56 78", true},
    {"GB", "+33612345678", "0612345678", false}, // national for GB, not France
    {"FR", "+33612345678", "06 12 34 56 78", true},
    // Italy keeps the leading zero; the US has a trunk "1".
    {"IT", "+390612345678", "06 1234 5678", true},
    {"IT", "0612345678", "+39 06 1234 5678", true},
    {"IT", "+39612345678", "0612345678", false},
    {"US", "+12025550142", "(202) 555-0142", true},
    {"US", "1-202-555-0142", "+12025550142", true},
    // Short codes, local-only and unparsable numbers compare as their texts.
    {"GB", "88211", "88211", true},
    {"GB", "88211", "+4488211", false},
    {"GB", "999", "999", true},
    {"GB", "999", "0999", false},
    {"US", "555-0142", "5550142", false},
    {"US", "555-0142", "555-0142", true},
    {"GB", "STOP", "stop", true},
    {"GB", "12a4", "12A4", true},
    // Without a country nothing changes.
    {"", "+447700900555", "07700 900555", false},
    {"", "+447700900555", "+447700900555", true},
    {"", "07700 900555", "07700900555", false},
    {"", "abc", "ABC", true},
};

TEST(NumberComparisonTest, ExclusionHoldsAcrossFormatsForTheDefaultCountry) {
    for (const ExclusionCase& c : kExclusions) {
        const NumberComparison comparison = NumberComparison::ForCountry(QString::fromLatin1(c.country));
        EXPECT_EQ(comparison.ByInternationalForm(), c.country[0] != '\0');
        ExclusionSet set(comparison);
        set.Add(QString::fromUtf8(c.entry));
        EXPECT_EQ(set.IsExcluded(QString::fromUtf8(c.number)), c.excluded)
            << c.country << ": entry '" << c.entry << "', number '" << c.number << "'";
        EXPECT_EQ(comparison.SameNumber(QString::fromUtf8(c.entry), QString::fromUtf8(c.number)), c.excluded)
            << c.country << ": '" << c.entry << "' and '" << c.number << "'";
    }
}

TEST(NumberComparisonTest, KeysAreTheE164FormOrTheFoldedText) {
    const NumberComparison gb = NumberComparison::ForCountry(QStringLiteral("gb"));
    EXPECT_EQ(gb.Country(), QStringLiteral("GB"));
    EXPECT_EQ(gb.Key(QStringLiteral("07700 900555")), QStringLiteral("+447700900555"));
    EXPECT_EQ(gb.Key(QStringLiteral("88211")), QStringLiteral("88211"));
    EXPECT_EQ(gb.Key(QStringLiteral("Stop")), QStringLiteral("stop"));
    const QString e164 = QString::fromLatin1("+447700900555");
    EXPECT_TRUE(gb.Key(e164).isSharedWith(e164)); // a number in E.164 form is its own key

    const NumberComparison none = NumberComparison::ForCountry(QStringLiteral("XX"));
    EXPECT_FALSE(none.ByInternationalForm());
    EXPECT_EQ(none.Country(), QString());
    EXPECT_EQ(none.Key(QStringLiteral("07700 900555")), QStringLiteral("07700 900555"));
    EXPECT_EQ(none, NumberComparison());
    EXPECT_FALSE(none == gb);
}

TEST(NumberComparisonTest, EntriesOfOneNumberInManyShapesCountAsOne) {
    ExclusionSet set(NumberComparison::ForCountry(QStringLiteral("GB")));
    set.AddBatch({QStringLiteral("+447700900555"), QStringLiteral("07700 900555"), QStringLiteral("0044 7700 900555"),
                  QStringLiteral("88211")});
    EXPECT_EQ(set.EntryCount(), 4);
    EXPECT_EQ(set.DistinctCount(), 2);
    set.Clear();
    EXPECT_TRUE(set.IsEmpty());
    set.Add(QStringLiteral("07700900555"));
    EXPECT_TRUE(set.IsExcluded(QStringLiteral("+447700900555"))); // the comparison stays through Clear
}

TEST(NumberComparisonTest, LoadingComparesByFormAndLeavesTheFilesAsTheyWere) {
    QTemporaryDir dir;
    const DataPaths paths(dir.path());
    paths.EnsureDataFiles();
    ExclusionStore store(paths);
    ASSERT_TRUE(store
                    .AppendList(QStringLiteral("Opt-outs"), {QStringLiteral("+447700900555"),
                                                             QStringLiteral("07700 900666"), QStringLiteral("88211")})
                    .Ok());
    ASSERT_TRUE(store.SaveApplied({QStringLiteral("Opt-outs")}).Ok());
    auto bytes = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QString listFile = paths.ExclusionListFile(QStringLiteral("Opt-outs"));
    const QByteArray listBefore = bytes(listFile);
    const QByteArray appliedBefore = bytes(paths.AppExclusionFile());

    const ExclusionSetLoad byForm = LoadExclusionSet(store, NumberComparison::ForCountry(QStringLiteral("GB")));
    EXPECT_TRUE(byForm.status.Ok());
    EXPECT_TRUE(byForm.set.IsExcluded(QStringLiteral("07700900555")));
    EXPECT_TRUE(byForm.set.IsExcluded(QStringLiteral("+447700900666")));
    EXPECT_TRUE(byForm.set.IsExcluded(QStringLiteral("88211")));
    EXPECT_FALSE(byForm.set.IsExcluded(QStringLiteral("07700900777")));

    const ExclusionSetLoad byText = LoadExclusionSet(store);
    EXPECT_FALSE(byText.set.IsExcluded(QStringLiteral("07700900555")));
    EXPECT_TRUE(byText.set.IsExcluded(QStringLiteral("+447700900555")));

    EXPECT_EQ(bytes(listFile), listBefore);
    EXPECT_EQ(bytes(paths.AppExclusionFile()), appliedBefore);
}

} // namespace
