#include "numbers/InternationalNumbering.h"

#include <phonenumbers/phonenumberutil.h>

#include <QRandomGenerator>
#include <QStringList>

#include <gtest/gtest.h>

#include <set>
#include <thread>

namespace {

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

InternationalNumbering For(const char* country) {
    std::optional<InternationalNumbering> numbering = InternationalNumbering::ForCountry(QString::fromLatin1(country));
    EXPECT_TRUE(numbering.has_value()) << country;
    return *numbering;
}

struct FormCase {
    const char* country;
    const char* text;
    const char* e164; // "" when the number has no international form
    NumberPossibility possibility;
};

// The shapes people write one number in, per country, with what the comparison sees.
const FormCase kForms[] = {
    // The cases and their mirror images.
    {"GB", "+447700900555", "+447700900555", NumberPossibility::Possible},
    {"GB", "07700 900555", "+447700900555", NumberPossibility::Possible},
    {"GB", "+44 7700 900556", "+447700900556", NumberPossibility::Possible},
    {"GB", "07700900556", "+447700900556", NumberPossibility::Possible},
    // Separators: spaces, dashes, dots, slashes, brackets; "00" and the trunk "0" after the calling code.
    {"GB", "07700-900-555", "+447700900555", NumberPossibility::Possible},
    {"GB", "(07700) 900.555", "+447700900555", NumberPossibility::Possible},
    {"GB", "07700/900555", "+447700900555", NumberPossibility::Possible},
    {"GB", "0044 7700 900555", "+447700900555", NumberPossibility::Possible},
    {"GB", "00447700900555", "+447700900555", NumberPossibility::Possible},
    {"GB", "+44 (0) 7700 900555", "+447700900555", NumberPossibility::Possible},
    {"GB", "447700900555", "+447700900555", NumberPossibility::Possible},
    {"GB", "7700900555", "+447700900555", NumberPossibility::Possible},
    // Numbers of other countries in a British list.
    {"GB", "+33 6 12 34 56 78", "+33612345678", NumberPossibility::Possible},
    {"GB", "0033612345678", "+33612345678", NumberPossibility::Possible},
    {"GB", "+1 (202) 555-0142", "+12025550142", NumberPossibility::Possible},
    {"GB", "+39 06 1234 5678", "+390612345678", NumberPossibility::Possible},
    // Short codes, too short, too long and unparsable texts have no international form.
    {"GB", "88211", "", NumberPossibility::LocalOnly}, // five digits may be dialled locally in GB
    {"GB", "999", "", NumberPossibility::Impossible},
    {"GB", "+4412", "", NumberPossibility::Impossible},
    {"GB", "0770090055512345", "", NumberPossibility::Impossible},
    {"GB", "12a4", "", NumberPossibility::Impossible},
    {"GB", "+44+7700900555", "", NumberPossibility::Impossible},
    {"GB", "", "", NumberPossibility::Impossible},
    {"GB", "+", "", NumberPossibility::Impossible},
    {"GB", "00", "", NumberPossibility::Impossible},
    {"GB", "+999 1234 5678", "", NumberPossibility::Impossible}, // no such calling code
    // United States: trunk "1", international prefix "011", numbers without their area code.
    {"US", "(202) 555-0142", "+12025550142", NumberPossibility::Possible},
    {"US", "1-202-555-0142", "+12025550142", NumberPossibility::Possible},
    {"US", "202.555.0142", "+12025550142", NumberPossibility::Possible},
    {"US", "+1 202 555 0142", "+12025550142", NumberPossibility::Possible},
    {"US", "011 44 7700 900555", "+447700900555", NumberPossibility::Possible},
    {"US", "555-0142", "", NumberPossibility::LocalOnly},
    {"US", "911", "", NumberPossibility::Impossible},
    // Germany and France: trunk "0".
    {"DE", "030 1234567", "+49301234567", NumberPossibility::Possible},
    {"DE", "+49 30 1234567", "+49301234567", NumberPossibility::Possible},
    {"DE", "0151 23456789", "+4915123456789", NumberPossibility::Possible},
    {"FR", "06 12 34 56 78", "+33612345678", NumberPossibility::Possible},
    {"FR", "+33 (0)6 12 34 56 78", "+33612345678", NumberPossibility::Possible},
    {"FR", "0033 6 12 34 56 78", "+33612345678", NumberPossibility::Possible},
    // India: trunk "0", ten-digit mobiles.
    {"IN", "098765 43210", "+919876543210", NumberPossibility::Possible},
    {"IN", "98765-43210", "+919876543210", NumberPossibility::Possible},
    {"IN", "+91 98765 43210", "+919876543210", NumberPossibility::Possible},
    // Italy has no trunk prefix: the leading zero of a fixed line belongs to the number.
    {"IT", "06 1234 5678", "+390612345678", NumberPossibility::Possible},
    {"IT", "+39 06 1234 5678", "+390612345678", NumberPossibility::Possible},
    {"IT", "0039 06 12345678", "+390612345678", NumberPossibility::Possible},
    {"IT", "312 345 6789", "+393123456789", NumberPossibility::Possible},
    // Spain has no national prefix at all.
    {"ES", "612 34 56 78", "+34612345678", NumberPossibility::Possible},
    {"ES", "+34 612 345 678", "+34612345678", NumberPossibility::Possible},
    {"ES", "0034612345678", "+34612345678", NumberPossibility::Possible},
    // National prefixes that are patterns, some with transform rules that rewrite the number: Guernsey's local
    // six digits gain the island's area code, Brazil's carrier code and Argentina's mobile "15" go, Barbados's
    // seven digits gain its area code, Australia's and Mexico's prefixes are taken off.
    {"GG", "781234", "+441481781234", NumberPossibility::Possible},
    {"GG", "07781 123456", "+447781123456", NumberPossibility::Possible},
    {"BR", "0 15 11 98765 4321", "+5511987654321", NumberPossibility::Possible},
    {"BR", "(11) 98765-4321", "+5511987654321", NumberPossibility::Possible},
    {"AR", "011 15 2345 6789", "+5491123456789", NumberPossibility::Possible},
    {"AR", "0341 15 123 4567", "+5493411234567", NumberPossibility::Possible},
    {"BB", "460 1234", "+12464601234", NumberPossibility::Possible},
    {"AU", "0412 345 678", "+61412345678", NumberPossibility::Possible},
    {"AU", "0011 44 7700 900555", "+447700900555", NumberPossibility::Possible},
    {"MX", "044 55 1234 5678", "+525512345678", NumberPossibility::Possible},
};

TEST(InternationalNumberingTest, FormsOfTheShapesPeopleWrite) {
    for (const FormCase& c : kForms) {
        const InternationalNumbering numbering = For(c.country);
        const InternationalNumbering::Form form = numbering.Classify(QString::fromUtf8(c.text));
        EXPECT_EQ(form.e164.ToString(), QLatin1String(c.e164)) << c.country << " " << c.text;
        EXPECT_EQ(form.possibility, c.possibility) << c.country << " " << c.text;
        // The library itself says the same.
        const InternationalNumbering::Form reference = numbering.ClassifyByLibrary(QString::fromUtf8(c.text));
        if (QString::fromUtf8(c.text).contains(QLatin1Char('a')) || QLatin1String(c.text) == "+44+7700900555")
            continue; // no number texts at all: never given to the library
        EXPECT_EQ(reference.e164.ToString(), QLatin1String(c.e164)) << c.country << " " << c.text;
        EXPECT_EQ(reference.possibility, c.possibility) << c.country << " " << c.text;
    }
}

TEST(InternationalNumberingTest, CommonShapesNeverReachTheLibrary) {
    // The shapes a million-row list is made of must take the fast path, or the comparison costs tens of
    // microseconds a number.
    const FormCase fast[] = {
        {"GB", "07700 900555", "", {}},       {"GB", "+447700900555", "", {}},
        {"GB", "0044 7700-900555", "", {}},   {"GB", "447700900555", "", {}},
        {"GB", "+44 (0)7700 900555", "", {}}, {"GB", "88211", "", {}},
        {"GB", "+33 6 12 34 56 78", "", {}},  {"US", "(202) 555-0142", "", {}},
        {"US", "1 202 555 0142", "", {}},     {"DE", "0151 23456789", "", {}},
        {"FR", "06 12 34 56 78", "", {}},     {"IN", "098765 43210", "", {}},
        {"IN", "9876543210", "", {}},         {"IT", "06 1234 5678", "", {}},
        {"ES", "612 34 56 78", "", {}},       {"GG", "781234", "", {}},
        {"BR", "0 15 11 98765 4321", "", {}}, {"AR", "011 15 2345 6789", "", {}},
        {"AU", "0412 345 678", "", {}},       {"MX", "044 55 1234 5678", "", {}},
    };
    for (const FormCase& c : fast)
        EXPECT_TRUE(For(c.country).ClassifyFast(QString::fromUtf8(c.text)).has_value()) << c.country << " " << c.text;
}

// Random texts in the shapes of real lists: national with and without the trunk prefix, international with
// '+' or "00", the country's calling code without a prefix, other countries' calling codes, and any digits, with
// separators sprinkled in.
QString RandomNumberText(QRandomGenerator& rng, const InternationalNumbering& numbering) {
    static const char* const kForeignCodes[] = {"1",  "7",   "33",  "39",  "44",  "49",  "55",  "61",  "81",  "86",
                                                "91", "234", "351", "353", "380", "420", "852", "971", "998", "800"};
    QString text;
    switch (rng.bounded(7)) {
    case 0:
        text = QStringLiteral("+");
        break;
    case 1:
        text = QStringLiteral("00");
        break;
    case 2:
        text = QStringLiteral("0");
        break;
    case 3:
        text = QString::number(numbering.CallingCode());
        break;
    case 4:
        text = QStringLiteral("+") + QLatin1String(kForeignCodes[rng.bounded(20)]);
        break;
    case 5:
        text = QStringLiteral("00") + QLatin1String(kForeignCodes[rng.bounded(20)]) +
               (rng.bounded(4) == 0 ? QStringLiteral("0") : QString());
        break;
    default:
        break;
    }
    const int length = 2 + rng.bounded(14);
    for (int i = 0; i < length; ++i) {
        text += QChar(u'0' + rng.bounded(10));
        if (rng.bounded(6) == 0)
            text += QChar(u" -.()/"[rng.bounded(6)]);
    }
    return text;
}

// Digits, the separators, and at most one '+' before the first digit: the texts the fast path reads as
// numbers. Any other text is no number for the comparison, whatever the library would make of it.
bool IsNumberText(const QString& text) {
    bool started = false;
    for (const QChar c : text) {
        if (c.isDigit() && c.unicode() < 0x80)
            started = true;
        else if (c == u'+' && !started)
            started = true;
        else if (!QStringView(u" -./()[]").contains(c))
            return false;
    }
    return true;
}

void ExpectSameForm(const InternationalNumbering& numbering, const QString& text, int* fastCount) {
    const std::optional<InternationalNumbering::Form> fast = numbering.ClassifyFast(text);
    if (!fast)
        return;
    if (!IsNumberText(text)) {
        EXPECT_EQ(fast->possibility, NumberPossibility::Impossible) << text.toStdString();
        return;
    }
    ++*fastCount;
    const InternationalNumbering::Form reference = numbering.ClassifyByLibrary(text);
    EXPECT_EQ(fast->possibility, reference.possibility)
        << numbering.Country().toStdString() << " '" << text.toStdString() << "'";
    EXPECT_EQ(fast->e164.ToString(), reference.e164.ToString())
        << numbering.Country().toStdString() << " '" << text.toStdString() << "'";
}

// Countries with a trunk "0", trunk "1" (US), trunk "8" (RU), Italy (no trunk prefix, leading zeros kept),
// Spain and Norway (no national prefix), Canada (not the main country of its calling code), international and
// national prefixes that are patterns (AU, CN, KR, MX), and national prefixes with transform rules (BR, AR,
// Guernsey, Barbados).
const char* const kCountries[] = {"GB", "US", "DE", "FR", "IN", "IT", "ES", "NO", "CA", "RU",
                                  "JP", "AU", "CN", "KR", "MX", "BR", "AR", "GG", "BB"};
// The share of the samples the fast path must decide itself, in percent, so that the agreement covers it.
constexpr int kFastPercent = 85;

TEST(InternationalNumberingTest, FastPathAgreesWithTheLibraryOnRandomNumbers) {
    QRandomGenerator rng(20);
    for (const char* country : kCountries) {
        const InternationalNumbering numbering = For(country);
        int fastCount = 0;
        constexpr int kSamples = 3000;
        for (int i = 0; i < kSamples; ++i)
            ExpectSameForm(numbering, RandomNumberText(rng, numbering), &fastCount);
        // The agreement covers the fast path only where it decides.
        EXPECT_GE(fastCount * 100, kSamples * kFastPercent) << country << " " << fastCount;
    }
}

TEST(InternationalNumberingTest, FastPathAgreesWithTheLibraryOnEveryRegionsExampleNumbers) {
    // libphonenumber's example number of each type for every region, written as that region writes it
    // nationally, internationally, and as dialled from the default country.
    const PhoneNumberUtil& util = *PhoneNumberUtil::GetInstance();
    std::set<std::string> regions;
    util.GetSupportedRegions(&regions);
    const PhoneNumberUtil::PhoneNumberType types[] = {PhoneNumberUtil::FIXED_LINE, PhoneNumberUtil::MOBILE,
                                                      PhoneNumberUtil::TOLL_FREE, PhoneNumberUtil::VOIP};
    for (const char* country : kCountries) {
        const InternationalNumbering numbering = For(country);
        int fastCount = 0;
        int total = 0;
        for (const std::string& region : regions) {
            for (const PhoneNumberUtil::PhoneNumberType type : types) {
                PhoneNumber example;
                if (!util.GetExampleNumberForType(region, type, &example))
                    continue;
                std::string international;
                std::string dialled;
                util.Format(example, PhoneNumberUtil::INTERNATIONAL, &international);
                util.FormatOutOfCountryCallingNumber(example, country, &dialled);
                QStringList texts = {QString::fromStdString(international), QString::fromStdString(dialled)};
                if (region == country) {
                    std::string national;
                    util.Format(example, PhoneNumberUtil::NATIONAL, &national);
                    texts << QString::fromStdString(national);
                }
                for (const QString& text : texts) {
                    if (!IsNumberText(text))
                        continue; // e.g. Russia's "8~10" (wait for the dial tone) as dialled from abroad
                    ++total;
                    ExpectSameForm(numbering, text, &fastCount);
                }
            }
        }
        EXPECT_GE(fastCount * 100, total * kFastPercent) << country << " " << fastCount << "/" << total;
    }
}

TEST(InternationalNumberingTest, UnknownRegionsHaveNoNumbering) {
    EXPECT_FALSE(InternationalNumbering::ForCountry(QStringLiteral("XX")).has_value());
    EXPECT_FALSE(InternationalNumbering::ForCountry(QString()).has_value());
    EXPECT_FALSE(InternationalNumbering::ForCountry(QStringLiteral("GBR")).has_value());
    const std::optional<InternationalNumbering> lower = InternationalNumbering::ForCountry(QStringLiteral("gb"));
    ASSERT_TRUE(lower.has_value());
    EXPECT_EQ(lower->Country(), QStringLiteral("GB"));
    EXPECT_EQ(lower->CallingCode(), 44);
}

TEST(InternationalNumberingTest, SendingFormIsE164OnlyWhenThereIsOne) {
    const InternationalNumbering gb = For("GB");
    EXPECT_EQ(gb.FormToSend(QStringLiteral("07700900555")), QStringLiteral("+447700900555"));
    EXPECT_EQ(gb.FormToSend(QStringLiteral("+447700900555")), QStringLiteral("+447700900555"));
    EXPECT_EQ(gb.FormToSend(QStringLiteral("88211")), QStringLiteral("88211"));
    const InternationalNumbering us = For("US");
    EXPECT_EQ(us.FormToSend(QStringLiteral("5550142")), QStringLiteral("5550142")); // no area code: as given
    EXPECT_EQ(us.FormToSend(QStringLiteral("2025550142")), QStringLiteral("+12025550142"));
}

TEST(InternationalNumberingTest, ConcurrentReadersSeeTheSameForms) {
    QRandomGenerator rng(7);
    const InternationalNumbering numbering = For("DE");
    QStringList texts;
    for (int i = 0; i < 2000; ++i)
        texts << RandomNumberText(rng, numbering);
    QStringList expected;
    for (const QString& t : texts)
        expected << numbering.Classify(t).e164.ToString();

    // A fresh numbering of another country compiles its patterns on first use, from whichever thread is first.
    const InternationalNumbering fr = For("FR");
    std::vector<QStringList> seen(4);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < seen.size(); ++t) {
        threads.emplace_back([&, t] {
            for (const QString& text : texts) {
                seen[t] << numbering.Classify(text).e164.ToString();
                (void)fr.Classify(text);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (const QStringList& s : seen)
        EXPECT_EQ(s, expected);
}

} // namespace
