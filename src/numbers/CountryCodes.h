#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

// The default countries a user can choose: the ISO 3166 alpha-2 codes libphonenumber has a numbering plan for.

// Every such code, in alphabetical order.
[[nodiscard]] QStringList SupportedCountries();
// True for a supported code, in either case.
[[nodiscard]] bool IsSupportedCountry(const QString& code);
// The country of a locale ("en_GB" gives "GB"), the first choice before the user picks one; empty when the
// locale names no country or one without a numbering plan (the "C" locale, for instance).
[[nodiscard]] QString CountryOfLocale(const QLocale& locale);
