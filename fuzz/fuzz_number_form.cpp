// Number texts come from untrusted files (exclusion lists, imports). The comparison form must come out for any
// text without a crash, and where the fast path decides, it must say what libphonenumber says. The first byte
// picks the default country; the rest is the text (UTF-8).

#include "numbers/InternationalNumbering.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

// Digits, separators, and at most one '+' before the first digit.
bool IsNumberText(const QString& text) {
    bool plusOrDigit = false;
    for (const QChar c : text) {
        if (c.unicode() >= u'0' && c.unicode() <= u'9')
            plusOrDigit = true;
        else if (c == u'+' && !plusOrDigit)
            plusOrDigit = true;
        else if (!QStringView(u" -./()[]").contains(c))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const char* const kCountries[] = {"GB", "US", "DE", "FR", "IN", "IT", "ES", "NO", "AU",
                                             "BR", "CA", "GG", "AR", "MX", "CN", "KR", "BB", "RU"};
    if (size == 0)
        return 0;
    static const auto numberings = [] {
        std::vector<InternationalNumbering> all;
        for (const char* country : kCountries)
            all.push_back(*InternationalNumbering::ForCountry(QString::fromLatin1(country)));
        return all;
    }();
    const InternationalNumbering& numbering = numberings[data[0] % numberings.size()];
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    const std::optional<InternationalNumbering::Form> fast = numbering.ClassifyFast(text);
    const InternationalNumbering::Form form = numbering.Classify(text);
    if (fast && (fast->possibility != form.possibility || fast->e164.View() != form.e164.View()))
        std::abort();
    // Texts outside the number alphabet are settled without the library; for the others the fast answer must be
    // the library's.
    if (fast && IsNumberText(text)) {
        const InternationalNumbering::Form reference = numbering.ClassifyByLibrary(text);
        if (reference.possibility != fast->possibility || reference.e164.View() != fast->e164.View())
            std::abort();
    }
    return 0;
}
