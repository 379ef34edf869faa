#pragma once

#include "NumberIndex.h"

#include <QString>
#include <QStringList>

#include <vector>

// Why a number is refused for an exclusion list.
enum class ExclusionNumberError {
    None,
    Invalid,   // "Please enter a valid phone number."
    Duplicate, // "Entered number already exists."
};
[[nodiscard]] QString ExclusionNumberErrorText(ExclusionNumberError error);

// The numbers of one exclusion list while it is edited: the list in order plus an index of the numbers
// (compared as whole texts ignoring case), so the duplicate test stays constant-time for long lists. The
// index shares the numbers' string data, so a million numbers are indexed in a fraction of a second.
class ExclusionNumberList {
public:
    ExclusionNumberList() = default;
    // A list as loaded from its file; repeated or invalid entries written by other programs are kept.
    explicit ExclusionNumberList(const QStringList& numbers);

    const QStringList& Numbers() const { return m_numbers; }
    qsizetype Count() const { return m_numbers.size(); }
    bool IsEmpty() const { return m_numbers.isEmpty(); }
    // "Total Numbers : %d"
    QString CountText() const;
    bool Contains(const QString& number) const;

    // The number rules for a typed number: trimmed, valid and not yet listed. A passing number is inserted at
    // the top as typed (no normalisation).
    [[nodiscard]] ExclusionNumberError AddTyped(const QString& text);
    // Replaces row `row` by a typed number. An unchanged text is accepted as is; otherwise the number rules
    // apply, the row itself not counting as a duplicate of the new text.
    [[nodiscard]] ExclusionNumberError Replace(qsizetype row, const QString& text);

    // Inserts numbers ahead of the existing ones, the first given becoming row 0. No checks.
    void InsertAtTop(const QStringList& numbers);
    // Removes the given rows (any order, repeats ignored, out-of-range rows ignored).
    void RemoveRows(std::vector<qsizetype> rows);
    void Clear();

private:
    QStringList m_numbers;
    NumberIndex m_index; // case-folded number -> rows holding it
};
