#include "numbers/ImpossibleNumbers.h"
#include "numbers/CountryCodes.h"

#include <gtest/gtest.h>

namespace {

TEST(ImpossibleNumbersTest, ListsWhatTheCountryCannotDialInImportOrder) {
    const std::optional<InternationalNumbering> gb = InternationalNumbering::ForCountry(QStringLiteral("GB"));
    ASSERT_TRUE(gb.has_value());
    const QStringList taken = {
        QStringLiteral("07700900555"),     // a mobile
        QStringLiteral("999"),             // a short code
        QStringLiteral("+447700900555"),   // the mobile again, international
        QStringLiteral("077009005551234"), // too long
        QStringLiteral("+33612345678"),    // a French mobile
        QStringLiteral("+99912345"),       // no such calling code
        QStringLiteral("999"),             // the short code again
        QStringLiteral("88211"),           // five digits: dialled locally, possible
        QStringLiteral("+4412"),           // too short after the calling code
    };
    EXPECT_EQ(ImpossibleNumbers(*gb, taken),
              QStringList({QStringLiteral("999"), QStringLiteral("077009005551234"), QStringLiteral("+99912345"),
                           QStringLiteral("999"), QStringLiteral("+4412")}));

    // A number without its area code can still be dialled locally: not impossible.
    const std::optional<InternationalNumbering> us = InternationalNumbering::ForCountry(QStringLiteral("US"));
    ASSERT_TRUE(us.has_value());
    EXPECT_TRUE(ImpossibleNumbers(*us, {QStringLiteral("5550142"), QStringLiteral("2025550142")}).isEmpty());
}

TEST(CountryCodesTest, LocaleCountryAndSupportedCodes) {
    EXPECT_EQ(CountryOfLocale(QLocale(QStringLiteral("en_GB"))), QStringLiteral("GB"));
    EXPECT_EQ(CountryOfLocale(QLocale(QStringLiteral("de_DE"))), QStringLiteral("DE"));
    EXPECT_EQ(CountryOfLocale(QLocale(QStringLiteral("pt_BR"))), QStringLiteral("BR"));
    EXPECT_EQ(CountryOfLocale(QLocale::c()), QString());

    EXPECT_TRUE(IsSupportedCountry(QStringLiteral("gb")));
    EXPECT_TRUE(IsSupportedCountry(QStringLiteral("IT")));
    EXPECT_FALSE(IsSupportedCountry(QStringLiteral("XX")));
    EXPECT_FALSE(IsSupportedCountry(QString()));
    EXPECT_FALSE(IsSupportedCountry(QStringLiteral("001"))); // a non-geographic entity is no country

    const QStringList countries = SupportedCountries();
    EXPECT_GT(countries.size(), 200);
    EXPECT_TRUE(countries.contains(QStringLiteral("GB")));
    EXPECT_FALSE(countries.contains(QStringLiteral("001")));
    EXPECT_TRUE(std::is_sorted(countries.begin(), countries.end()));
}

} // namespace
