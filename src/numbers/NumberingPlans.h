#pragma once

#include "DigitPattern.h"

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What a number's national significant number (NSN) length says about it, as libphonenumber's length test
// classes it.
enum class LengthClass : std::uint8_t { Possible, LocalOnly, TooShort, TooLong, InvalidLength };

// A prefix that parsing takes off the front of a number (a national or an international prefix), in the form
// the fast path can use.
struct PrefixRule {
    enum class Kind : std::uint8_t {
        None,    // nothing is taken off
        Literal, // exactly these digits
        Pattern, // a pattern; `pattern` is set when it compiled
    };
    Kind kind = Kind::None;
    std::string text; // as the metadata writes it
    std::string literal;
    std::optional<DigitPattern> pattern;
};

// One region's numbering plan, as the fast path needs it: the calling code, the prefixes, the pattern every
// national number of the region matches and the possible lengths of national numbers.
struct RegionPlan {
    std::string region; // ISO 3166 alpha-2, or "001" for a non-geographic calling code
    int callingCode = 0;
    std::string callingCodeDigits;
    PrefixRule nationalPrefix;           // the national prefix for parsing (e.g. "0")
    std::string nationalPrefixTransform; // rewrites a number whose prefix captured something ("1481$1"); may be empty
    PrefixRule internationalPrefix;      // e.g. "00", "011"
    std::string generalPatternText;      // the pattern every national significant number of the region matches
    // LengthClass of an NSN of each length; longer than kMaxClassedLength is TooLong or InvalidLength.
    static constexpr size_t kMaxClassedLength = 24;
    std::array<LengthClass, kMaxClassedLength + 1> lengthClass{};

    LengthClass ClassOfLength(size_t length) const {
        return lengthClass[length <= kMaxClassedLength ? length : kMaxClassedLength];
    }

    // The compiled general pattern; null when it did not compile. Compiled on first use (most programs need the
    // patterns of one or two regions), safely from any thread.
    const DigitPattern* GeneralPattern() const;

private:
    mutable std::once_flag m_generalOnce;
    mutable std::optional<DigitPattern> m_general;
};

// The numbering plans of every region and non-geographic calling code, read once per process from the
// metadata compiled into libphonenumber and never changed afterwards (constant data, the same for every
// country setting), so any number of threads may read them.
class NumberingPlans {
public:
    static const NumberingPlans& Instance();

    // The plan of a region code ("GB"); null when libphonenumber does not know the region.
    const RegionPlan* ForRegion(std::string_view region) const;
    // The plan parsing uses for numbers with this calling code: its main region's, or the non-geographic one's.
    // Null when the code is not assigned.
    const RegionPlan* ForCallingCode(int callingCode) const {
        return callingCode > 0 && callingCode < kCallingCodes ? m_byCallingCode[static_cast<size_t>(callingCode)]
                                                              : nullptr;
    }
    // Region codes in alphabetical order.
    const std::vector<std::string>& Regions() const { return m_regionNames; }
    // True when the metadata could be read; without it every number goes to libphonenumber itself.
    bool Loaded() const { return !m_plans.empty(); }

private:
    NumberingPlans();

    static constexpr int kCallingCodes = 1000;        // calling codes have at most three digits
    std::vector<std::unique_ptr<RegionPlan>> m_plans; // a plan's address never changes
    std::vector<std::string> m_regionNames;           // sorted
    std::vector<const RegionPlan*> m_regionPlans;     // beside m_regionNames
    std::array<const RegionPlan*, kCallingCodes> m_byCallingCode{};
};
