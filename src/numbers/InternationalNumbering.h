#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>
#include <optional>
#include <string>

struct RegionPlan;
class NumberingPlans;

// What libphonenumber makes of a number text for a default country.
enum class NumberPossibility : std::uint8_t {
    Possible,   // a possible number: it has an international (E.164) form
    LocalOnly,  // possible, but only dialled locally (an area code is missing), so no international form
    Impossible, // not a possible number: unparsable, too short (a short code), too long, a length not in use
};

// A number's E.164 form ("+447700900555"), held without allocating: '+' and at most 20 digits.
class E164Text {
public:
    static constexpr size_t kCapacity = 24;

    QStringView View() const { return QStringView(m_units.data(), static_cast<qsizetype>(m_size)); }
    QString ToString() const { return View().toString(); }
    bool IsEmpty() const { return m_size == 0; }

    void Clear() { m_size = 0; }
    // Appends ASCII characters; false (and nothing appended) when they would not fit.
    bool Append(const char* ascii, size_t count);

private:
    std::array<char16_t, kCapacity> m_units{};
    std::uint8_t m_size = 0;
};

// The international form of number texts for one default country (ISO 3166 alpha-2, e.g. "GB"): what
// libphonenumber's parse for that country, its possible-number test and its E.164 format give.
//
// Most numbers take a fast path that reads the digits once against the country's numbering plan (calling code,
// national and international prefixes, possible lengths, the pattern of its national numbers, all read from
// libphonenumber's metadata) and gives the same answer the library would, in well under a microsecond; the
// shapes it cannot decide for certain (a national prefix written after a foreign calling code, prefixes that
// are patterns and match, very short or very long texts) go to libphonenumber itself.
//
// Number texts are digits with at most one '+', first, and the separators space, '-', '.', '/', '(', ')', '[' and
// ']' anywhere; any other character (a letter, a comma, '~', a second '+') makes the text no number (Impossible)
// without asking the library.
//
// A value type, cheap to copy; every member is const and any number of threads may use one object at once.
class InternationalNumbering {
public:
    // The numbering for a region code, in either case ("gb" or "GB"); nothing when libphonenumber does not know
    // it.
    [[nodiscard]] static std::optional<InternationalNumbering> ForCountry(QStringView regionCode);

    QString Country() const { return QString::fromStdString(m_regionCode); }
    int CallingCode() const { return m_callingCode; }

    struct Form {
        NumberPossibility possibility = NumberPossibility::Impossible;
        E164Text e164; // set when Possible
    };

    // The fast path, and libphonenumber for what it cannot decide.
    [[nodiscard]] Form Classify(QStringView number) const;
    // The fast path alone: nothing for the shapes it leaves to the library.
    [[nodiscard]] std::optional<Form> ClassifyFast(QStringView number) const;
    // libphonenumber alone (parse for the country, possible-number test with its reason, E.164 format): the
    // reference the fast path agrees with. Tens of microseconds a number.
    [[nodiscard]] Form ClassifyByLibrary(QStringView number) const;

    // The E.164 form, or an empty text when the number has none.
    [[nodiscard]] QString InternationalForm(QStringView number) const;
    // libphonenumber's possible-number test: true for Possible and LocalOnly.
    [[nodiscard]] bool IsPossible(QStringView number) const;
    // What "Send numbers in international format" sends and logs: the E.164 form when the number has one,
    // else the number as given.
    [[nodiscard]] QString FormToSend(const QString& number) const;

    friend bool operator==(const InternationalNumbering& a, const InternationalNumbering& b) {
        return a.m_regionCode == b.m_regionCode;
    }

private:
    InternationalNumbering() = default;

    // Null when the metadata could not be read: every number then goes to the library.
    const NumberingPlans* m_plans = nullptr;
    const RegionPlan* m_region = nullptr; // the default country's plan
    const RegionPlan* m_home = nullptr;   // the plan of its calling code's main region (most often the same)
    std::string m_regionCode;             // upper case
    int m_callingCode = 0;
};
