#include "numbers/DigitPattern.h"
#include "numbers/NumberingPlans.h"

#include <phonenumbers/phonenumberutil.h>

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

struct MatchCase {
    const char* pattern;
    const char* text;
    bool full;
};

const MatchCase kMatches[] = {
    {"0", "0", true},
    {"0", "00", false},
    {"0", "", false},
    {"[1-357-9]\\d{9}|[18]\\d{8}|8\\d{6}", "7700900555", true},
    {"[1-357-9]\\d{9}|[18]\\d{8}|8\\d{6}", "6700900555", false}, // 6 is outside the class
    {"[1-357-9]\\d{9}|[18]\\d{8}|8\\d{6}", "8123456", true},
    {"[1-357-9]\\d{9}|[18]\\d{8}|8\\d{6}", "07700900555", false},
    {"(?:000800|[2-9]\\d\\d)\\d{7}|1\\d{7,12}", "0008001234567", true},
    {"(?:000800|[2-9]\\d\\d)\\d{7}|1\\d{7,12}", "1234567", false},
    {"(?:000800|[2-9]\\d\\d)\\d{7}|1\\d{7,12}", "1234567890123", true},
    {"(?:000800|[2-9]\\d\\d)\\d{7}|1\\d{7,12}", "12345678901234", false},
    {"8\\d{5}(?:\\d{2,4})?", "81234512", true},
    {"8\\d{5}(?:\\d{2,4})?", "812345123", true},
    {"8\\d{5}(?:\\d{2,4})?", "8123451", false},
    {"(1|2)+3*", "121", true},
    {"(1|2)+3*", "3", false},
    {"[^0-8]", "9", true},
    {"[^0-8]", "8", false},
    {"\\d{2,}", "1234567890", true},
    {"\\d{2,}", "1", false},
    {"()", "", true},
};

TEST(DigitPatternTest, MatchesWholeTextsLikeARegularExpression) {
    for (const MatchCase& c : kMatches) {
        const std::optional<DigitPattern> pattern = DigitPattern::Compile(c.pattern);
        ASSERT_TRUE(pattern.has_value()) << c.pattern;
        EXPECT_EQ(pattern->FullMatch(c.text), c.full) << c.pattern << " on " << c.text;
    }
}

TEST(DigitPatternTest, SyntaxOutsideTheSubsetGivesNoPattern) {
    for (const char* text :
         {"1|([2-9]\\d{6})$", "^0", "a", "\\w", "(1", "1)", "[1-", "[a]", "1{3", "1{3,2}", "1{99}", "(?=1)"}) {
        EXPECT_FALSE(DigitPattern::Compile(text).has_value()) << text;
    }
}

TEST(DigitPatternTest, PrefixQuestions) {
    const std::optional<DigitPattern> idd = DigitPattern::Compile("001[14-689]|14(?:1[14]|34)0011");
    ASSERT_TRUE(idd.has_value());
    EXPECT_TRUE(idd->MatchesNonEmptyPrefixOf("0011447700"));
    EXPECT_TRUE(idd->MatchesNonEmptyPrefixOf("14110011"));
    EXPECT_FALSE(idd->MatchesNonEmptyPrefixOf("0412345678"));
    EXPECT_FALSE(idd->MatchesNonEmptyPrefixOf("001")); // too short to hold a whole match
    EXPECT_FALSE(idd->MatchesEmpty());
    EXPECT_TRUE(idd->MatchesSomethingStartingWith("001"));
    EXPECT_TRUE(idd->MatchesSomethingStartingWith(""));
    EXPECT_FALSE(idd->MatchesSomethingStartingWith("002"));

    const std::optional<DigitPattern> optionalZero = DigitPattern::Compile("0?(?:11)?");
    ASSERT_TRUE(optionalZero.has_value());
    EXPECT_TRUE(optionalZero->MatchesEmpty());
    EXPECT_FALSE(optionalZero->MatchesNonEmptyPrefixOf("2345")); // only the empty match: nothing taken off
    EXPECT_TRUE(optionalZero->MatchesNonEmptyPrefixOf("112345"));
}

TEST(DigitPatternTest, EveryRegionsNationalPatternCompilesAndAgreesWithStdRegex) {
    // The fast path needs each region's national number pattern. Checked against std::regex on the region's
    // example numbers (which match) and on random one-digit changes of them (a digit replaced, dropped or
    // added), which lie on both sides of the pattern's edges, and on random digit strings.
    const NumberingPlans& plans = NumberingPlans::Instance();
    ASSERT_TRUE(plans.Loaded());
    ASSERT_GT(plans.Regions().size(), 200u);
    const PhoneNumberUtil& util = *PhoneNumberUtil::GetInstance();
    QRandomGenerator rng(3);
    int matched = 0;
    int total = 0;
    for (const std::string& region : plans.Regions()) {
        const RegionPlan* plan = plans.ForRegion(region);
        ASSERT_NE(plan, nullptr) << region;
        const DigitPattern* pattern = plan->GeneralPattern();
        ASSERT_NE(pattern, nullptr) << region << " " << plan->generalPatternText;
        const std::regex reference(plan->generalPatternText);

        std::vector<std::string> samples;
        std::set<PhoneNumberUtil::PhoneNumberType> types;
        util.GetSupportedTypesForRegion(region, &types);
        for (const PhoneNumberUtil::PhoneNumberType type : types) {
            PhoneNumber example;
            if (!util.GetExampleNumberForType(region, type, &example))
                continue;
            std::string nsn;
            util.GetNationalSignificantNumber(example, &nsn);
            samples.push_back(nsn);
            for (int m = 0; m < 20; ++m) {
                std::string changed = nsn;
                const size_t at = static_cast<size_t>(rng.bounded(static_cast<int>(changed.size())));
                const char digit = static_cast<char>('0' + rng.bounded(10));
                switch (rng.bounded(3)) {
                case 0:
                    changed[at] = digit;
                    break;
                case 1:
                    changed.erase(at, 1);
                    break;
                default:
                    changed.insert(at, 1, digit);
                    break;
                }
                samples.push_back(changed);
            }
        }
        for (int i = 0; i < 50; ++i) {
            std::string digits;
            const int length = rng.bounded(16);
            for (int k = 0; k < length; ++k)
                digits += static_cast<char>('0' + rng.bounded(10));
            samples.push_back(digits);
        }
        for (const std::string& digits : samples) {
            const bool expected = std::regex_match(digits, reference);
            matched += expected ? 1 : 0;
            ++total;
            ASSERT_EQ(pattern->FullMatch(digits), expected) << region << " " << digits;
        }
    }
    // Both sides of the patterns were tried.
    EXPECT_GT(matched, total / 5);
    EXPECT_GT(total - matched, total / 5);
}

} // namespace
