#include "NumberingPlans.h"

#include <phonenumbers/phonemetadata.pb.h>
#include <phonenumbers/phonenumberutil.h>

#include <algorithm>
#include <map>
#include <set>

// The metadata libphonenumber compiles into itself: a serialised PhoneMetadataCollection. The library reads it
// through these two functions when it starts; its header for them is not installed, so they are declared here
// (they are part of the shared library's exported symbols).
namespace i18n::phonenumbers {
int metadata_size();
const void* metadata_get();
} // namespace i18n::phonenumbers

namespace {

using i18n::phonenumbers::PhoneMetadata;
using i18n::phonenumbers::PhoneNumberUtil;

bool AllDigits(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

PrefixRule RuleOf(const std::string& pattern) {
    PrefixRule rule;
    rule.text = pattern;
    if (pattern.empty())
        return rule;
    if (AllDigits(pattern)) {
        rule.kind = PrefixRule::Kind::Literal;
        rule.literal = pattern;
        return rule;
    }
    rule.kind = PrefixRule::Kind::Pattern;
    rule.pattern = DigitPattern::Compile(pattern);
    return rule;
}

// libphonenumber's length test for an NSN of the given length against the general description: local-only
// lengths first, then shorter than the shortest, longer than the longest, or one of the lengths.
LengthClass ClassOf(size_t length, const PhoneMetadata& metadata) {
    const auto& possible = metadata.general_desc().possible_length();
    const auto& localOnly = metadata.general_desc().possible_length_local_only();
    if (possible.empty() || possible.Get(0) == -1)
        return LengthClass::InvalidLength;
    const int actual = static_cast<int>(length);
    if (std::find(localOnly.begin(), localOnly.end(), actual) != localOnly.end())
        return LengthClass::LocalOnly;
    const int shortest = possible.Get(0);
    if (actual == shortest)
        return LengthClass::Possible;
    if (actual < shortest)
        return LengthClass::TooShort;
    if (actual > *(possible.end() - 1))
        return LengthClass::TooLong;
    return std::find(possible.begin() + 1, possible.end(), actual) != possible.end() ? LengthClass::Possible
                                                                                     : LengthClass::InvalidLength;
}

std::unique_ptr<RegionPlan> PlanOf(const PhoneMetadata& metadata) {
    auto owned = std::make_unique<RegionPlan>();
    RegionPlan& plan = *owned;
    plan.region = metadata.id();
    plan.callingCode = metadata.country_code();
    plan.callingCodeDigits = std::to_string(metadata.country_code());
    // Without a pattern of its own, parsing takes the national prefix itself.
    plan.nationalPrefix = RuleOf(metadata.has_national_prefix_for_parsing() ? metadata.national_prefix_for_parsing()
                                                                            : metadata.national_prefix());
    plan.nationalPrefixTransform = metadata.national_prefix_transform_rule();
    plan.internationalPrefix = RuleOf(metadata.international_prefix());
    plan.generalPatternText = metadata.general_desc().national_number_pattern();
    for (size_t length = 0; length <= RegionPlan::kMaxClassedLength; ++length)
        plan.lengthClass[length] = ClassOf(length, metadata);
    return owned;
}

} // namespace

const DigitPattern* RegionPlan::GeneralPattern() const {
    std::call_once(m_generalOnce, [this] { m_general = DigitPattern::Compile(generalPatternText); });
    return m_general ? &*m_general : nullptr;
}

const NumberingPlans& NumberingPlans::Instance() {
    static const NumberingPlans plans;
    return plans;
}

NumberingPlans::NumberingPlans() {
    i18n::phonenumbers::PhoneMetadataCollection collection;
    if (!collection.ParseFromArray(i18n::phonenumbers::metadata_get(), i18n::phonenumbers::metadata_size()))
        return;
    const PhoneNumberUtil& util = *PhoneNumberUtil::GetInstance();

    m_plans.reserve(static_cast<size_t>(collection.metadata_size()));
    for (const PhoneMetadata& metadata : collection.metadata())
        m_plans.push_back(PlanOf(metadata));

    // Parsing reads a calling code's rules from its main region (the first of its regions), or from the
    // non-geographic entry of the code; ask the library which that is rather than trusting the order here.
    std::map<std::string, const RegionPlan*> byRegion;
    std::map<int, const RegionPlan*> nonGeographic;
    for (const auto& plan : m_plans) {
        if (plan->region == "001")
            nonGeographic[plan->callingCode] = plan.get();
        else
            byRegion[plan->region] = plan.get();
    }
    std::set<int> codes;
    util.GetSupportedCallingCodes(&codes);
    for (const int code : codes) {
        if (code <= 0 || code >= kCallingCodes)
            continue;
        std::string region;
        util.GetRegionCodeForCountryCode(code, &region);
        const auto geo = byRegion.find(region);
        const auto nonGeo = nonGeographic.find(code);
        if (geo != byRegion.end())
            m_byCallingCode[static_cast<size_t>(code)] = geo->second;
        else if (nonGeo != nonGeographic.end())
            m_byCallingCode[static_cast<size_t>(code)] = nonGeo->second;
    }
    for (const auto& [region, plan] : byRegion) {
        m_regionNames.push_back(region);
        m_regionPlans.push_back(plan);
    }
}

const RegionPlan* NumberingPlans::ForRegion(std::string_view region) const {
    const auto it = std::lower_bound(m_regionNames.begin(), m_regionNames.end(), region,
                                     [](const std::string& a, std::string_view b) { return a < b; });
    if (it == m_regionNames.end() || *it != region)
        return nullptr;
    return m_regionPlans[static_cast<size_t>(it - m_regionNames.begin())];
}
