#include "RecipientList.h"

#include "exclusion/ExclusionSet.h"
#include "exclusion/NumberText.h"

#include <QSet>

#include <algorithm>

QString NumberCheckErrorText(NumberCheckError error) {
    switch (error) {
    case NumberCheckError::None:
        return {};
    case NumberCheckError::Invalid:
        return QStringLiteral("Please enter a valid phone number.");
    case NumberCheckError::Duplicate:
        return QStringLiteral("Entered number already exists.");
    case NumberCheckError::Excluded:
        return QStringLiteral("Entered number is in exclusion list.");
    }
    return {};
}

QString ListRefusalText(ListRefusal refusal) {
    switch (refusal) {
    case ListRefusal::None:
        return {};
    case ListRefusal::Empty:
        return QStringLiteral("Phone numbers-Messages list is empty.");
    case ListRefusal::NoSelection:
        return QStringLiteral("Please select at least one record from the phone numbers-messages list to continue.");
    }
    return {};
}

namespace {

// Steps 1 to 6 of the number check: the cleaned number, or an empty text when it is not a valid number.
QString CleanNumber(const QString& raw) {
    QString number = NormalizeNumber(raw).trimmed();
    return IsValidNumberText(number) ? number : QString();
}

} // namespace

NumberCheckResult RecipientList::CheckNumber(const QString& raw, const NumberCheckOptions& options) const {
    NumberCheckResult result;
    const QString number = CleanNumber(raw);
    if (number.isEmpty()) {
        result.error = NumberCheckError::Invalid;
        return result;
    }
    std::lock_guard lock(m_mutex);
    result.error = TestLocked(number, m_numberIndex.KeyOf(number), options);
    if (result.Ok())
        result.number = number;
    return result;
}

NumberCheckError RecipientList::TestLocked(const QString& number, const NumberIndex::Key& key,
                                           const NumberCheckOptions& options) const {
    if (options.skipDuplicates && m_numberIndex.Contains(key))
        return NumberCheckError::Duplicate;
    if (options.useExclusionRules && options.exclusionSet && options.exclusionSet->IsExcluded(number))
        return NumberCheckError::Excluded;
    return NumberCheckError::None;
}

void RecipientList::InsertRow(qsizetype position, const QString& number, const QString& message,
                              const QString& composerText) {
    std::lock_guard lock(m_mutex);
    InsertLocked(position, number, m_numberIndex.KeyOf(number), message, composerText);
    UpdateCountLocked();
}

NumberCheckResult RecipientList::AddNumber(qsizetype position, const QString& raw, const QString& message,
                                           const QString& composerText, const NumberCheckOptions& options) {
    NumberCheckResult result;
    const QString number = CleanNumber(raw);
    if (number.isEmpty()) {
        result.error = NumberCheckError::Invalid;
        return result;
    }
    std::lock_guard lock(m_mutex);
    NumberIndex::Key key = m_numberIndex.KeyOf(number);
    result.error = TestLocked(number, key, options);
    if (result.Ok()) {
        InsertLocked(position, number, std::move(key), message, composerText);
        UpdateCountLocked();
        result.number = number;
    }
    return result;
}

RecipientList::AddNumbersResult RecipientList::AddNumbers(qsizetype position, const QStringList& raws,
                                                          const QString& message, const QString& composerText,
                                                          const NumberCheckOptions& options) {
    AddNumbersResult result;
    const ExclusionSet* exclusions = options.useExclusionRules ? options.exclusionSet : nullptr;
    // The chunks keep the lock short, so Count() and the rows stay readable while a large import runs.
    constexpr qsizetype kChunk = 256;
    struct Candidate {
        QString number; // empty when invalid
        NumberIndex::Key key;
    };
    std::vector<Candidate> chunk;
    chunk.reserve(kChunk);
    NumberComparison comparison;
    quint64 comparisonChanges = 0;
    {
        std::lock_guard lock(m_mutex);
        comparison = m_numberIndex.Comparison();
        comparisonChanges = m_comparisonChanges;
    }
    for (qsizetype first = 0; first < raws.size(); first += kChunk) {
        // Cleaning and keying need no lock; the exclusion set is not rebuilt while rows are added.
        chunk.clear();
        for (qsizetype i = first; i < std::min(raws.size(), first + kChunk); ++i) {
            Candidate c;
            c.number = CleanNumber(raws.at(i));
            if (!c.number.isEmpty()) {
                c.key = NumberIndex::KeyOf(c.number, comparison);
                if (exclusions)
                    exclusions->Prefetch(c.number);
            }
            chunk.push_back(std::move(c));
        }
        std::lock_guard lock(m_mutex);
        if (comparisonChanges != m_comparisonChanges) {
            // The comparison changed while this chunk was keyed: key it again under the lock.
            comparison = m_numberIndex.Comparison();
            comparisonChanges = m_comparisonChanges;
            for (Candidate& c : chunk) {
                if (!c.number.isEmpty())
                    c.key = m_numberIndex.KeyOf(c.number);
            }
        }
        for (const Candidate& c : chunk)
            m_numberIndex.Prefetch(c.key);
        for (Candidate& c : chunk) {
            if (c.number.isEmpty()) {
                ++result.invalid;
                continue;
            }
            switch (TestLocked(c.number, c.key, options)) {
            case NumberCheckError::Duplicate:
                ++result.duplicates;
                break;
            case NumberCheckError::Excluded:
                ++result.excluded;
                break;
            default:
                InsertLocked(std::max<qsizetype>(position, 0) + result.added, c.number, std::move(c.key), message,
                             composerText);
                ++result.added;
                break;
            }
        }
        UpdateCountLocked();
    }
    return result;
}

void RecipientList::InsertLocked(qsizetype position, const QString& number, NumberIndex::Key key,
                                 const QString& message, const QString& composer) {
    position = std::clamp<qsizetype>(position, 0, m_rows.Size());
    m_rows.Insert(position, RecipientRow{number, message});
    m_revision.fetch_add(1, std::memory_order_acq_rel);
    m_numberIndex.Add(std::move(key));
    m_count.store(m_rows.Size(), std::memory_order_release);
    if (m_appliedMessage.isEmpty() && !composer.isEmpty())
        m_appliedMessage = composer;
}

QString RecipientList::CountText() const {
    return QStringLiteral("Total Numbers : %1").arg(Count());
}

RecipientRow RecipientList::Row(qsizetype index) const {
    std::lock_guard lock(m_mutex);
    if (index < 0 || index >= m_rows.Size())
        return {};
    return m_rows.At(index);
}

std::vector<RecipientRow> RecipientList::Rows(qsizetype first, qsizetype count) const {
    std::lock_guard lock(m_mutex);
    first = std::clamp<qsizetype>(first, 0, m_rows.Size());
    const qsizetype last = count < 0 ? m_rows.Size() : std::min(m_rows.Size(), first + count);
    std::vector<RecipientRow> rows;
    rows.reserve(static_cast<size_t>(last - first));
    for (qsizetype i = first; i < last; ++i)
        rows.push_back(m_rows.At(i));
    return rows;
}

void RecipientList::SetNumberComparison(NumberComparison comparison) {
    std::lock_guard lock(m_mutex);
    if (comparison == m_numberIndex.Comparison())
        return;
    NumberIndex index(std::move(comparison));
    for (qsizetype i = 0; i < m_rows.Size(); ++i)
        index.Add(m_rows.At(i).number);
    m_numberIndex = std::move(index);
    ++m_comparisonChanges;
}

NumberComparison RecipientList::Comparison() const {
    std::lock_guard lock(m_mutex);
    return m_numberIndex.Comparison();
}

bool RecipientList::SameNumber(const QString& a, const QString& b) const {
    return Comparison().SameNumber(a, b);
}

bool RecipientList::ContainsNumber(const QString& number) const {
    std::lock_guard lock(m_mutex);
    return m_numberIndex.Contains(number);
}

qsizetype RecipientList::NumberCount(const QString& number) const {
    std::lock_guard lock(m_mutex);
    return m_numberIndex.Count(number);
}

bool RecipientList::AllMessagesBlank() const {
    std::lock_guard lock(m_mutex);
    for (qsizetype i = 0; i < m_rows.Size(); ++i) {
        if (!m_rows.At(i).message.isEmpty())
            return false;
    }
    return true;
}

void RecipientList::SetMessage(qsizetype index, const QString& message) {
    std::lock_guard lock(m_mutex);
    m_revision.fetch_add(1, std::memory_order_acq_rel);
    if (index >= 0 && index < m_rows.Size())
        m_rows.At(index).message = message;
}

void RecipientList::SetRow(qsizetype index, const QString& number, const QString& message) {
    std::lock_guard lock(m_mutex);
    m_revision.fetch_add(1, std::memory_order_acq_rel);
    if (index < 0 || index >= m_rows.Size())
        return;
    RecipientRow& row = m_rows.At(index);
    m_numberIndex.Remove(row.number);
    row.number = number;
    row.message = message;
    m_numberIndex.Add(number);
}

void RecipientList::ApplyMessage(const QString& message, bool onlyBlankRows) {
    std::lock_guard lock(m_mutex);
    m_revision.fetch_add(1, std::memory_order_acq_rel);
    for (qsizetype i = 0; i < m_rows.Size(); ++i) {
        RecipientRow& row = m_rows.At(i);
        if (!onlyBlankRows || row.message.isEmpty())
            row.message = message;
    }
}

ListRefusal RecipientList::RemoveSelected(const std::vector<qsizetype>& rows) {
    std::lock_guard lock(m_mutex);
    if (m_rows.IsEmpty())
        return ListRefusal::Empty;
    std::vector<qsizetype> selected;
    selected.reserve(rows.size());
    for (const qsizetype r : rows) {
        if (r >= 0 && r < m_rows.Size())
            selected.push_back(r);
    }
    if (selected.empty())
        return ListRefusal::NoSelection;
    std::sort(selected.begin(), selected.end());
    auto next = selected.begin();
    m_rows.Filter([&](qsizetype i, const RecipientRow& row) {
        while (next != selected.end() && *next < i)
            ++next;
        if (next != selected.end() && *next == i) {
            m_numberIndex.Remove(row.number);
            return false;
        }
        return true;
    });
    m_count.store(m_rows.Size(), std::memory_order_release);
    m_revision.fetch_add(1, std::memory_order_acq_rel);
    UpdateCountLocked();
    return ListRefusal::None;
}

qsizetype RecipientList::RemoveNumbers(const QStringList& numbers) {
    const QSet<QString> unwanted(numbers.begin(), numbers.end());
    std::lock_guard lock(m_mutex);
    const qsizetype before = m_rows.Size();
    m_rows.Filter([&](qsizetype, const RecipientRow& row) {
        if (!unwanted.contains(row.number))
            return true;
        m_numberIndex.Remove(row.number);
        return false;
    });
    const qsizetype removed = before - m_rows.Size();
    if (removed > 0) {
        m_count.store(m_rows.Size(), std::memory_order_release);
        m_revision.fetch_add(1, std::memory_order_acq_rel);
        UpdateCountLocked();
    }
    return removed;
}

ListRefusal RecipientList::RemoveAll() {
    std::lock_guard lock(m_mutex);
    if (m_rows.IsEmpty())
        return ListRefusal::Empty;
    m_rows.Clear();
    m_numberIndex.Clear();
    m_count.store(0, std::memory_order_release);
    m_revision.fetch_add(1, std::memory_order_acq_rel);
    UpdateCountLocked();
    return ListRefusal::None;
}

void RecipientList::Reset() {
    std::lock_guard lock(m_mutex);
    m_revision.fetch_add(1, std::memory_order_acq_rel);
    m_rows.Clear();
    m_numberIndex.Clear();
    m_count.store(0, std::memory_order_release);
    m_appliedMessage.clear();
}

QString RecipientList::AppliedMessage() const {
    std::lock_guard lock(m_mutex);
    return m_appliedMessage;
}

void RecipientList::SetAppliedMessage(const QString& text) {
    std::lock_guard lock(m_mutex);
    m_appliedMessage = text;
}

QString RecipientList::UpdateCount() {
    std::lock_guard lock(m_mutex);
    UpdateCountLocked();
    return QStringLiteral("Total Numbers : %1").arg(m_rows.Size());
}

void RecipientList::UpdateCountLocked() {
    if (m_rows.IsEmpty())
        m_appliedMessage.clear();
}
