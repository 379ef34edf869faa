#include "ExclusionNumberList.h"

#include "NumberText.h"

#include <algorithm>

QString ExclusionNumberErrorText(ExclusionNumberError error) {
    switch (error) {
    case ExclusionNumberError::None:
        return {};
    case ExclusionNumberError::Invalid:
        return QStringLiteral("Please enter a valid phone number.");
    case ExclusionNumberError::Duplicate:
        return QStringLiteral("Entered number already exists.");
    }
    return {};
}

ExclusionNumberList::ExclusionNumberList(const QStringList& numbers) : m_numbers(numbers) {
    m_index.AddAll(numbers);
}

QString ExclusionNumberList::CountText() const {
    return QStringLiteral("Total Numbers : %1").arg(m_numbers.size());
}

bool ExclusionNumberList::Contains(const QString& number) const {
    return m_index.Contains(number);
}

ExclusionNumberError ExclusionNumberList::AddTyped(const QString& text) {
    const QString number = text.trimmed();
    if (!IsValidNumberText(number))
        return ExclusionNumberError::Invalid;
    if (Contains(number))
        return ExclusionNumberError::Duplicate;
    m_numbers.prepend(number);
    m_index.Add(number);
    return ExclusionNumberError::None;
}

ExclusionNumberError ExclusionNumberList::Replace(qsizetype row, const QString& text) {
    if (row < 0 || row >= m_numbers.size())
        return ExclusionNumberError::Invalid;
    const QString number = text.trimmed();
    if (number == m_numbers.at(row))
        return ExclusionNumberError::None;
    if (!IsValidNumberText(number))
        return ExclusionNumberError::Invalid;
    // The row's own text only counts when another row holds it too.
    const std::uint32_t holders = m_index.Count(number);
    const bool selfHolds = CaseFoldedKey(m_numbers.at(row)) == CaseFoldedKey(number);
    if (holders > (selfHolds ? 1u : 0u))
        return ExclusionNumberError::Duplicate;
    m_index.Remove(m_numbers.at(row));
    m_numbers[row] = number;
    m_index.Add(number);
    return ExclusionNumberError::None;
}

void ExclusionNumberList::InsertAtTop(const QStringList& numbers) {
    if (numbers.isEmpty())
        return;
    QStringList merged;
    merged.reserve(numbers.size() + m_numbers.size());
    merged << numbers << m_numbers;
    m_numbers = std::move(merged);
    m_index.AddAll(numbers);
}

void ExclusionNumberList::RemoveRows(std::vector<qsizetype> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QStringList kept;
    kept.reserve(m_numbers.size());
    auto next = rows.begin();
    for (qsizetype i = 0; i < m_numbers.size(); ++i) {
        while (next != rows.end() && *next < i)
            ++next;
        if (next != rows.end() && *next == i)
            m_index.Remove(m_numbers.at(i));
        else
            kept << m_numbers.at(i);
    }
    m_numbers = std::move(kept);
}

void ExclusionNumberList::Clear() {
    m_numbers.clear();
    m_index.Clear();
}
