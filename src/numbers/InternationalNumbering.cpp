#include "InternationalNumbering.h"

#include "NumberingPlans.h"

#include <phonenumbers/phonenumber.pb.h>
#include <phonenumbers/phonenumberutil.h>

#include <string_view>

// The fast path retraces, for digit strings, the steps libphonenumber's parse takes (PhoneNumberUtil::Parse:
// international prefix or '+', calling code, the default country's calling code written without a prefix,
// national prefix, the length checks), then its possible-number test and E.164 format. Where a step depends on
// something the plan tables cannot settle, it gives up and the library decides.

namespace {

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

// libphonenumber's bounds: a national significant number has 2 to 17 digits; the text is at most 250
// characters; after an international prefix more than 2 digits must follow.
constexpr size_t kMinNsn = 2;
constexpr size_t kMaxNsn = 17;
constexpr qsizetype kMaxInputLength = 250;
// Longer digit strings than this are left to the library (none of them can be a possible number).
constexpr size_t kMaxDigits = 24;

// Not '~' (the library reads it as the start of an extension), nor ',' or ';' (pauses and extensions).
bool IsSeparator(char16_t c) {
    switch (c) {
    case u' ':
    case u'-':
    case u'.':
    case u'/':
    case u'(':
    case u')':
    case u'[':
    case u']':
        return true;
    default:
        return false;
    }
}

enum class Scan { Digits, NotANumber, TooLong };

struct ScannedNumber {
    std::array<char, kMaxDigits> digits{};
    size_t count = 0;
    bool plus = false;
    std::string_view View() const { return std::string_view(digits.data(), count); }
};

Scan ScanNumber(QStringView text, ScannedNumber& out) {
    bool started = false;
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c >= u'0' && c <= u'9') {
            if (out.count == kMaxDigits)
                return Scan::TooLong;
            out.digits[out.count++] = static_cast<char>(c);
            started = true;
        } else if (c == u'+') {
            if (started)
                return Scan::NotANumber;
            out.plus = true;
            started = true;
        } else if (!IsSeparator(c)) {
            return Scan::NotANumber;
        }
    }
    return text.size() > kMaxInputLength ? Scan::TooLong : Scan::Digits;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

// The outcome of one step: decided (with the digits that remain, and whether the step changed them), or left to
// the library.
struct Step {
    bool decided = false;
    std::string_view digits;
    bool changed = false;
};
Step Unchanged(std::string_view digits) {
    return Step{true, digits, false};
}
Step Changed(std::string_view digits) {
    return Step{true, digits, true};
}
constexpr Step kUndecided{};

// Room for a number a transform rule rewrote: the rule's digits (a few) and the number's (at most kMaxDigits).
using Scratch = std::array<char, 48>;

// What a prefix rule takes off the front of the digits, as the library's anchored match ("Consume") would.
struct PrefixTaken {
    bool known = true;    // false: the rule cannot be applied here; the library decides
    bool matched = false; // the rule matched (perhaps taking nothing)
    size_t length = 0;
};

PrefixTaken TakePrefix(const PrefixRule& rule, std::string_view digits) {
    switch (rule.kind) {
    case PrefixRule::Kind::None:
        return {};
    case PrefixRule::Kind::Literal:
        return StartsWith(digits, rule.literal) ? PrefixTaken{true, true, rule.literal.size()} : PrefixTaken{};
    case PrefixRule::Kind::Pattern:
        break;
    }
    if (!rule.pattern)
        return {false, false, 0};
    const DigitPattern::PrefixResult result = rule.pattern->PrefixMatchLength(digits);
    switch (result.outcome) {
    case DigitPattern::Prefix::NoMatch:
        return {};
    case DigitPattern::Prefix::Match:
        return {true, true, result.length};
    case DigitPattern::Prefix::TooComplex:
        break;
    }
    return {false, false, 0};
}

// The number a transform rule makes: the rule with "$n" replaced by what group n captured, then what follows the
// prefix's match. Nothing when it does not fit the scratch.
std::optional<std::string_view> Transform(const std::string& rule, std::string_view number,
                                          const DigitPattern::PrefixResult& match, Scratch& scratch) {
    size_t size = 0;
    auto append = [&](std::string_view text) {
        if (size + text.size() > scratch.size())
            return false;
        std::copy(text.begin(), text.end(), scratch.begin() + static_cast<std::ptrdiff_t>(size));
        size += text.size();
        return true;
    };
    for (size_t i = 0; i < rule.size(); ++i) {
        if (rule[i] == '$' && i + 1 < rule.size() && rule[i + 1] >= '0' && rule[i + 1] <= '9') {
            if (!append(match.Group(number, rule[i + 1] - '0')))
                return std::nullopt;
            ++i;
        } else if (!append(std::string_view(&rule[i], 1))) {
            return std::nullopt;
        }
    }
    if (!append(number.substr(match.length)))
        return std::nullopt;
    return std::string_view(scratch.data(), size);
}

// The national prefix step (MaybeStripNationalPrefixAndCarrierCode). With a transform rule, a match whose last
// capturing group (the second, when there are more) took something rewrites the number by the rule; otherwise
// the match is taken off the front. Either change is undone when the number matched the region's national
// pattern before and does not after.
Step StripNationalPrefix(const RegionPlan& plan, std::string_view number, Scratch& scratch) {
    const PrefixRule& rule = plan.nationalPrefix;
    if (number.empty() || rule.kind == PrefixRule::Kind::None)
        return Unchanged(number);
    std::string_view result;
    if (!plan.nationalPrefixTransform.empty()) {
        // The library tries the rule only with a pattern of one or two groups; leave any other to it.
        if (rule.kind != PrefixRule::Kind::Pattern || !rule.pattern || rule.pattern->GroupCount() < 1 ||
            rule.pattern->GroupCount() > 2)
            return kUndecided;
        const DigitPattern::PrefixResult match = rule.pattern->PrefixMatchLength(number);
        if (match.outcome == DigitPattern::Prefix::TooComplex)
            return kUndecided;
        if (match.outcome == DigitPattern::Prefix::NoMatch)
            return Unchanged(number);
        if (!match.Group(number, rule.pattern->GroupCount()).empty()) {
            const std::optional<std::string_view> transformed =
                Transform(plan.nationalPrefixTransform, number, match, scratch);
            if (!transformed)
                return kUndecided;
            result = *transformed;
        } else {
            result = number.substr(match.length);
        }
    } else {
        const PrefixTaken taken = TakePrefix(rule, number);
        if (!taken.known)
            return kUndecided;
        if (!taken.matched)
            return Unchanged(number);
        result = number.substr(taken.length);
    }
    if (result == number)
        return Unchanged(number);
    const DigitPattern* general = plan.GeneralPattern();
    if (!general)
        return kUndecided;
    if (general->FullMatch(number) && !general->FullMatch(result))
        return Unchanged(number);
    return Changed(result);
}

// The national prefix step of the parse proper: the changed number is kept only when its length can still be a
// whole national number of the region.
Step StripNationalPrefixForParsing(const RegionPlan& plan, std::string_view number, Scratch& scratch) {
    const Step step = StripNationalPrefix(plan, number, scratch);
    if (!step.decided || !step.changed)
        return step;
    switch (plan.ClassOfLength(step.digits.size())) {
    case LengthClass::TooShort:
    case LengthClass::LocalOnly:
    case LengthClass::InvalidLength:
        return Unchanged(number);
    case LengthClass::Possible:
    case LengthClass::TooLong:
        break;
    }
    return step;
}

// The parsed number (calling code of `plan`, national significant number `nsn`) through the length checks of
// the parse, the possible-number test (by the calling code's main region) and the E.164 format.
InternationalNumbering::Form Finish(const RegionPlan& plan, std::string_view nsn) {
    InternationalNumbering::Form form;
    if (nsn.size() < kMinNsn || nsn.size() > kMaxNsn)
        return form; // the parse fails: Impossible
    switch (plan.ClassOfLength(nsn.size())) {
    case LengthClass::Possible:
        form.possibility = NumberPossibility::Possible;
        // "+", the calling code and the NSN with any leading zeros (Italy's), as the E.164 format writes them.
        form.e164.Append("+", 1);
        form.e164.Append(plan.callingCodeDigits.data(), plan.callingCodeDigits.size());
        form.e164.Append(nsn.data(), nsn.size());
        break;
    case LengthClass::LocalOnly:
        form.possibility = NumberPossibility::LocalOnly;
        break;
    default:
        break;
    }
    return form;
}

// Digits that followed '+' or an international prefix: calling code (one to three digits, the first assigned
// one), then the national prefix step with the rules of the code's main region.
std::optional<InternationalNumbering::Form> FromInternational(const NumberingPlans& plans, std::string_view digits) {
    if (digits.size() <= kMinNsn || digits.front() == '0')
        return std::nullopt; // the parse fails; rare enough to leave to the library
    const RegionPlan* plan = nullptr;
    size_t codeLength = 0;
    int code = 0;
    while (!plan && codeLength < 3) {
        code = code * 10 + (digits[codeLength] - '0');
        ++codeLength;
        plan = plans.ForCallingCode(code);
    }
    if (!plan)
        return std::nullopt;
    Scratch scratch;
    const Step nsn = StripNationalPrefixForParsing(*plan, digits.substr(codeLength), scratch);
    if (!nsn.decided)
        return std::nullopt;
    return Finish(*plan, nsn.digits);
}

} // namespace

bool E164Text::Append(const char* ascii, size_t count) {
    if (m_size + count > kCapacity)
        return false;
    for (size_t i = 0; i < count; ++i)
        m_units[m_size + i] = static_cast<char16_t>(ascii[i]);
    m_size = static_cast<std::uint8_t>(m_size + count);
    return true;
}

std::optional<InternationalNumbering> InternationalNumbering::ForCountry(QStringView regionCode) {
    const std::string code = regionCode.trimmed().toString().toUpper().toStdString();
    const PhoneNumberUtil& util = *PhoneNumberUtil::GetInstance();
    const int callingCode = code.size() == 2 ? util.GetCountryCodeForRegion(code) : 0;
    if (callingCode == 0)
        return std::nullopt;
    InternationalNumbering numbering;
    numbering.m_regionCode = code;
    numbering.m_callingCode = callingCode;
    const NumberingPlans& plans = NumberingPlans::Instance();
    const RegionPlan* region = plans.ForRegion(code);
    const RegionPlan* home = plans.ForCallingCode(callingCode);
    if (region && home) {
        numbering.m_plans = &plans;
        numbering.m_region = region;
        numbering.m_home = home;
    }
    return numbering;
}

std::optional<InternationalNumbering::Form> InternationalNumbering::ClassifyFast(QStringView number) const {
    ScannedNumber scanned;
    switch (ScanNumber(number, scanned)) {
    case Scan::NotANumber:
        return Form{};
    case Scan::TooLong:
        return std::nullopt;
    case Scan::Digits:
        break;
    }
    // Fewer than three digits meet special rules of the parse ("viable number"); leave them to it.
    if (!m_plans || scanned.count < 3)
        return std::nullopt;
    const std::string_view digits = scanned.View();
    if (scanned.plus)
        return FromInternational(*m_plans, digits);

    // The default country's international prefix, unless a '0' follows it (no calling code starts with 0).
    // Every country has one; a plan without it leaves the numbers to the library.
    const PrefixRule& idd = m_region->internationalPrefix;
    const PrefixTaken taken = TakePrefix(idd, digits);
    if (idd.kind == PrefixRule::Kind::None || !taken.known)
        return std::nullopt;
    if (taken.matched) {
        if (digits.size() == taken.length)
            return std::nullopt;
        if (digits[taken.length] != '0')
            return FromInternational(*m_plans, digits.substr(taken.length));
    }

    // The default country's calling code written without a prefix: taken as one when the number does not fit
    // the national pattern with it but does without it, or is too long with it.
    const RegionPlan& region = *m_region;
    if (StartsWith(digits, region.callingCodeDigits)) {
        const DigitPattern* general = region.GeneralPattern();
        if (!general)
            return std::nullopt;
        Scratch potentialScratch;
        const Step potential =
            StripNationalPrefix(region, digits.substr(region.callingCodeDigits.size()), potentialScratch);
        if (!potential.decided)
            return std::nullopt;
        if ((!general->FullMatch(digits) && general->FullMatch(potential.digits)) ||
            region.ClassOfLength(digits.size()) == LengthClass::TooLong) {
            Scratch scratch;
            const Step nsn = StripNationalPrefixForParsing(*m_home, potential.digits, scratch);
            if (!nsn.decided)
                return std::nullopt;
            return Finish(*m_home, nsn.digits);
        }
    }

    // A national number: the national prefix step with the default country's rules.
    Scratch scratch;
    const Step nsn = StripNationalPrefixForParsing(region, digits, scratch);
    if (!nsn.decided)
        return std::nullopt;
    return Finish(*m_home, nsn.digits);
}

InternationalNumbering::Form InternationalNumbering::ClassifyByLibrary(QStringView number) const {
    Form form;
    const PhoneNumberUtil& util = *PhoneNumberUtil::GetInstance();
    PhoneNumber parsed;
    if (util.Parse(number.toUtf8().toStdString(), m_regionCode, &parsed) != PhoneNumberUtil::NO_PARSING_ERROR)
        return form;
    switch (util.IsPossibleNumberWithReason(parsed)) {
    case PhoneNumberUtil::IS_POSSIBLE: {
        std::string e164;
        util.Format(parsed, PhoneNumberUtil::E164, &e164);
        if (form.e164.Append(e164.data(), e164.size()))
            form.possibility = NumberPossibility::Possible;
        break;
    }
    case PhoneNumberUtil::IS_POSSIBLE_LOCAL_ONLY:
        form.possibility = NumberPossibility::LocalOnly;
        break;
    default:
        break;
    }
    return form;
}

InternationalNumbering::Form InternationalNumbering::Classify(QStringView number) const {
    if (std::optional<Form> fast = ClassifyFast(number))
        return *fast;
    // Texts outside the number alphabet never reach here (ClassifyFast settles them); a number the fast path
    // could not settle is parsed by the library.
    return ClassifyByLibrary(number);
}

QString InternationalNumbering::InternationalForm(QStringView number) const {
    return Classify(number).e164.ToString();
}

bool InternationalNumbering::IsPossible(QStringView number) const {
    return Classify(number).possibility != NumberPossibility::Impossible;
}

QString InternationalNumbering::FormToSend(const QString& number) const {
    const Form form = Classify(number);
    return form.possibility == NumberPossibility::Possible ? form.e164.ToString() : number;
}
