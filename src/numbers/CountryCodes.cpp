#include "CountryCodes.h"

#include <phonenumbers/phonenumberutil.h>

#include <set>
#include <string>

QStringList SupportedCountries() {
    std::set<std::string> regions;
    i18n::phonenumbers::PhoneNumberUtil::GetInstance()->GetSupportedRegions(&regions);
    QStringList codes;
    codes.reserve(static_cast<qsizetype>(regions.size()));
    for (const std::string& region : regions)
        codes << QString::fromStdString(region);
    return codes;
}

bool IsSupportedCountry(const QString& code) {
    const std::string region = code.trimmed().toUpper().toStdString();
    return region.size() == 2 &&
           i18n::phonenumbers::PhoneNumberUtil::GetInstance()->GetCountryCodeForRegion(region) != 0;
}

QString CountryOfLocale(const QLocale& locale) {
    if (locale.territory() == QLocale::AnyTerritory)
        return {};
    const QString code = QLocale::territoryToCode(locale.territory());
    return IsSupportedCountry(code) ? code.toUpper() : QString();
}
