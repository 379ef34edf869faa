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
         {"^0", "a", "\\w", "(1", "1)", "[1-", "[a]", "1{3", "1{3,2}", "1{99}", "(?=1)", "1*?", "1++"}) {
        EXPECT_FALSE(DigitPattern::Compile(text).has_value()) << text;
    }
}

struct PrefixCase {
    const char* pattern;
    const char* digits;
    DigitPattern::Prefix outcome;
    size_t length;
};

// What a prefix pattern takes off the front: the first match in a backtracking engine's order.
const PrefixCase kPrefixes[] = {
    {"001[14-689]|14(?:1[14]|34)0011", "0011447700", DigitPattern::Prefix::Match, 4},
    {"001[14-689]|14(?:1[14]|34)0011", "14110011", DigitPattern::Prefix::Match, 8},
    {"001[14-689]|14(?:1[14]|34)0011", "0412345678", DigitPattern::Prefix::NoMatch, 0},
    {"001[14-689]|14(?:1[14]|34)0011", "001", DigitPattern::Prefix::NoMatch, 0},
    {"0|(183[12])", "0412345678", DigitPattern::Prefix::Match, 1},
    {"0|(183[12])", "18311234", DigitPattern::Prefix::Match, 4},
    {"0?(?:11)?", "2345", DigitPattern::Prefix::Match, 0}, // matches, taking nothing
    {"0?(?:11)?", "0112345", DigitPattern::Prefix::Match, 3},
    {"0(?:[12]|4[45])|1", "0445551234", DigitPattern::Prefix::Match, 3},
    {"0(?:[12]|4[45])|1", "0465551234", DigitPattern::Prefix::NoMatch, 0},
    {"1|([2-9]\\d{6})$", "12025550142", DigitPattern::Prefix::Match, 1},
    {"1|([2-9]\\d{6})$", "4601234", DigitPattern::Prefix::Match, 7},      // seven digits to the end
    {"1|([2-9]\\d{6})$", "2464601234", DigitPattern::Prefix::NoMatch, 0}, // more follow: '$' fails
    {"0|80?", "80291234567", DigitPattern::Prefix::Match, 2},             // greedy: "80" before "8"
    {"(?:0|90)(?:(1[245])(\\d{10,11}))?", "0151234567890", DigitPattern::Prefix::Match, 13},
    {"(?:0|90)(?:(1[245])(\\d{10,11}))?", "0612345678", DigitPattern::Prefix::Match, 1},
};

TEST(DigitPatternTest, PrefixTakenIsTheFirstMatchInBacktrackingOrder) {
    for (const PrefixCase& c : kPrefixes) {
        const std::optional<DigitPattern> pattern = DigitPattern::Compile(c.pattern);
        ASSERT_TRUE(pattern.has_value()) << c.pattern;
        const DigitPattern::PrefixResult result = pattern->PrefixMatchLength(c.digits);
        EXPECT_EQ(result.outcome, c.outcome) << c.pattern << " on " << c.digits;
        EXPECT_EQ(result.length, c.length) << c.pattern << " on " << c.digits;
    }
    // Capturing groups report what they took on the path of the match found, and nothing when they took no
    // part in it.
    const std::optional<DigitPattern> carrier = DigitPattern::Compile("(?:0|90)(?:(1[245])(\\d{10,11}))?");
    ASSERT_TRUE(carrier.has_value());
    EXPECT_EQ(carrier->GroupCount(), 2);
    const std::string_view withCarrier = "0151198765432";
    const DigitPattern::PrefixResult taken = carrier->PrefixMatchLength(withCarrier);
    EXPECT_EQ(taken.Group(withCarrier, 1), "15");
    EXPECT_EQ(taken.Group(withCarrier, 2), "1198765432");
    const std::string_view plain = "0612345678";
    const DigitPattern::PrefixResult bare = carrier->PrefixMatchLength(plain);
    EXPECT_EQ(bare.length, 1u);
    EXPECT_TRUE(bare.Group(plain, 1).empty());
    EXPECT_TRUE(bare.Group(plain, 2).empty());
    EXPECT_TRUE(bare.Group(plain, 3).empty()); // no such group

    // A pattern with '$' has no automaton; its whole-text matches come from backtracking.
    const std::optional<DigitPattern> anchored = DigitPattern::Compile("1|([2-9]\\d{6})$");
    ASSERT_TRUE(anchored.has_value());
    EXPECT_FALSE(anchored->HasAutomaton());
    EXPECT_TRUE(anchored->FullMatch("4601234"));
    EXPECT_FALSE(anchored->FullMatch("46012345"));
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
        EXPECT_TRUE(pattern->HasAutomaton()) << region; // one table step per digit
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

TEST(DigitPatternTest, EveryRegionsPrefixPatternsTakeWhatStdRegexTakes) {
    // The national and international prefixes that are patterns, against std::regex (an ECMAScript engine,
    // which chooses among matches in the same order) anchored at the start.
    const NumberingPlans& plans = NumberingPlans::Instance();
    QRandomGenerator rng(11);
    int patterns = 0;
    int matched = 0;
    for (const std::string& region : plans.Regions()) {
        const RegionPlan* plan = plans.ForRegion(region);
        for (const PrefixRule* rule : {&plan->nationalPrefix, &plan->internationalPrefix}) {
            if (rule->kind != PrefixRule::Kind::Pattern)
                continue;
            ASSERT_TRUE(rule->pattern.has_value()) << region << " " << rule->text;
            ++patterns;
            const std::regex reference(rule->text);
            for (int i = 0; i < 300; ++i) {
                // Half the samples are drawn from the digits prefixes are made of most, so that matches are
                // not rare.
                static const char kPrefixDigits[] = "01589";
                std::string digits;
                const int length = rng.bounded(16);
                for (int k = 0; k < length; ++k)
                    digits += i % 2 == 0 ? static_cast<char>('0' + rng.bounded(10)) : kPrefixDigits[rng.bounded(5)];
                std::smatch m;
                const bool found = std::regex_search(digits, m, reference, std::regex_constants::match_continuous);
                const DigitPattern::PrefixResult result = rule->pattern->PrefixMatchLength(digits);
                ASSERT_EQ(result.outcome == DigitPattern::Prefix::Match, found)
                    << region << " " << rule->text << " " << digits;
                if (found) {
                    ++matched;
                    ASSERT_EQ(result.length, static_cast<size_t>(m.length(0)))
                        << region << " " << rule->text << " " << digits;
                }
            }
        }
    }
    EXPECT_GT(patterns, 40);
    EXPECT_GT(matched, patterns * 20);
}
