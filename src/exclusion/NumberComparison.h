#pragma once

#include "numbers/InternationalNumbering.h"

#include <QString>
#include <QStringView>

#include <optional>
#include <string>

// How two number texts are found to be the same number, for the duplicate tests and the exclusion lists.
//
// Without a default country (the default) a number compares as its text ignoring letter case (CaseFoldedKey),
// so "+4412" and "004412" differ. With a country, a number compares as its international (E.164) form when it
// has one ("07700 900555", "+44 7700 900555" and "0044 7700-900555" are one number for GB), and otherwise (a
// short code, a number missing its area code, an impossible or unparsable one) as its text, as without one.
// Only the comparison changes: what is stored, shown and sent stays the text as given.
//
// A value type, cheap to copy; const use from any number of threads is safe. Each owner (a list, a set, a job)
// holds its own copy, so two sessions in one process may compare by different countries.
class NumberComparison {
public:
    // Compares texts as they are, ignoring letter case.
    NumberComparison() = default;
    // Compares by international form for the numbering's country.
    explicit NumberComparison(InternationalNumbering numbering) : m_numbering(std::move(numbering)) {}
    // For a region code ("GB"); texts compare as they are when the code is empty or not a known region.
    [[nodiscard]] static NumberComparison ForCountry(QStringView regionCode);

    bool ByInternationalForm() const { return m_numbering.has_value(); }
    // The default country, empty when none.
    QString Country() const { return m_numbering ? m_numbering->Country() : QString(); }
    const InternationalNumbering* Numbering() const { return m_numbering ? &*m_numbering : nullptr; }

    // Room for a key, so that keying a number allocates nothing.
    struct KeyBuffer {
        E164Text e164;
        std::u16string folded;
    };
    // The comparison form of a number text: its E.164 form, or its case-folded text. The view points into the
    // buffer or into `number`, and lives as long as both.
    [[nodiscard]] QStringView KeyView(QStringView number, KeyBuffer& buffer) const;
    // The same as a string; shares `number`'s data when the form is the text itself.
    [[nodiscard]] QString Key(const QString& number) const;
    [[nodiscard]] bool SameNumber(const QString& a, const QString& b) const;

    friend bool operator==(const NumberComparison& a, const NumberComparison& b) {
        return a.m_numbering == b.m_numbering;
    }

private:
    std::optional<InternationalNumbering> m_numbering;
};
