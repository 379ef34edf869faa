#pragma once

#include <QString>
#include <QStringView>

#include <string>

// Rules for phone number texts, shared by the Recipient list and the exclusion lists.

// Longest number text a list accepts, in UTF-16 code units.
inline constexpr qsizetype kMaxNumberLength = 20;

// Removes every '-', ' ', '(' and ')'. Nothing else is changed: "+4412" and "004412" stay different numbers.
[[nodiscard]] QString NormalizeNumber(const QString& text);

// 1 to 20 characters, only '0'-'9', '+' and '-', a '+' only as the first character, and at least one digit
// (so "+" or "--" alone is not a number).
[[nodiscard]] bool IsValidNumberText(const QString& text);

// The key under which texts compare equal ignoring letter case: each code point replaced by its simple case
// folding, unpaired surrogates kept as they are. Two texts have equal keys exactly when
// QString::compare(a, b, Qt::CaseInsensitive) == 0. Texts without letters (every phone number) come back
// unchanged and share the argument's data, so keying a number costs no allocation.
[[nodiscard]] QString CaseFoldedKey(const QString& text);

// True when some code unit of the text may fold (U+0041 or above); CaseFoldedKey of any other text is the
// text itself.
[[nodiscard]] bool MayNeedCaseFolding(QStringView text);
// Appends the code units of CaseFoldedKey(text) to `out`, without building a QString.
void AppendCaseFolded(QStringView text, std::u16string& out);

// A 64-bit hash of a text's code units (multiply-xorshift, four units at a time): a few nanoseconds for a
// phone number, where a general string hash costs several times more. Hash the CaseFoldedKey to look texts up
// ignoring case.
[[nodiscard]] size_t HashNumberText(QStringView text);
