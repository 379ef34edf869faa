#pragma once

#include "GapBuffer.h"
#include "exclusion/NumberIndex.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <mutex>
#include <vector>

class ExclusionSet;

// One row of the Recipient list: the number and the message sent to it (may be empty).
struct RecipientRow {
    QString number;
    QString message;
};

// What the number check reads besides the list: the main window's two options and the exclusion set.
struct NumberCheckOptions {
    bool skipDuplicates = false;                // "Skip Duplicate Numbers"
    bool useExclusionRules = false;             // "Use Exclusion Rules"
    const ExclusionSet* exclusionSet = nullptr; // consulted only with useExclusionRules; null = empty set
};

// Why the number check refused a number; the first failing test decides.
enum class NumberCheckError {
    None,
    Invalid,   // "Please enter a valid phone number."
    Duplicate, // "Entered number already exists."
    Excluded,  // "Entered number is in exclusion list."
};
[[nodiscard]] QString NumberCheckErrorText(NumberCheckError error);

struct NumberCheckResult {
    QString number; // the cleaned number; empty on refusal
    NumberCheckError error = NumberCheckError::None;
    bool Ok() const { return error == NumberCheckError::None; }
    QString Message() const { return NumberCheckErrorText(error); }
};

// Refusals of the clear commands.
enum class ListRefusal {
    None,
    Empty,       // "Phone numbers-Messages list is empty."
    NoSelection, // "Please select at least one record from the phone numbers-messages list to continue."
};
[[nodiscard]] QString ListRefusalText(ListRefusal refusal);

// The ordered (number, message) rows that the main window builds and a send consumes, with the applied
// message kept beside them.
//
// Rows live in a gap buffer, so the insertion patterns of every source (always at the top, or at 0, 1, 2 ...
// ahead of existing rows) cost O(1) each, and a million rows cost about a hundred bytes each (messages that
// are the same composer text share one copy). The duplicate test reads a count per number (keyed by its
// comparison form: the case-folded text, or with a default country the international form), never scanning
// the rows.
//
// Thread safety: every member may be called from any thread; a mutex guards the rows, and Count() is a plain
// atomic read, so the user interface can poll it while an import worker inserts rows.
class RecipientList {
public:
    RecipientList() = default;
    // A list whose duplicate test compares numbers by `comparison`.
    explicit RecipientList(NumberComparison comparison) : m_numberIndex(std::move(comparison)) {}
    RecipientList(const RecipientList&) = delete;
    RecipientList& operator=(const RecipientList&) = delete;

    // How the duplicate test compares numbers (by default as texts ignoring case). Changing it re-indexes the
    // rows that are there; the rows themselves stay as they are. The exclusion set a number check consults
    // compares by its own comparison, which the caller keeps the same as the list's.
    void SetNumberComparison(NumberComparison comparison);
    NumberComparison Comparison() const;
    // True when the two texts are one number for the duplicate test.
    bool SameNumber(const QString& a, const QString& b) const;

    // The number check: NormalizeNumber, trim, validity, then the duplicate test (with skipDuplicates), then
    // the exclusion test (with useExclusionRules). Never changes the list.
    [[nodiscard]] NumberCheckResult CheckNumber(const QString& raw, const NumberCheckOptions& options) const;

    // Inserts a row before row `position` (clamped to 0..Count()); the number should have passed the number
    // check. When the applied message is empty and `composerText` is not, the composer text becomes the applied
    // message.
    void InsertRow(qsizetype position, const QString& number, const QString& message, const QString& composerText);

    // The number check and, when it passes, the insertion of the cleaned number, as one step: a concurrent
    // insertion can never slip between the duplicate test and the insert.
    [[nodiscard]] NumberCheckResult AddNumber(qsizetype position, const QString& raw, const QString& message,
                                              const QString& composerText, const NumberCheckOptions& options);

    // What a bulk source made of its numbers.
    struct AddNumbersResult {
        qsizetype added = 0;
        qsizetype invalid = 0;
        qsizetype duplicates = 0;
        qsizetype excluded = 0;
    };
    // A bulk source's rows: each raw number through the number check in turn, the passing ones inserted at
    // position, position + 1, ... in order, all with the same message. The same result as AddNumber for each
    // in turn; the work goes by chunks under the lock, with the look-ups of a chunk started ahead, so a large
    // import costs less per row, and Count() advances as chunks complete.
    AddNumbersResult AddNumbers(qsizetype position, const QStringList& raws, const QString& message,
                                const QString& composerText, const NumberCheckOptions& options);

    qsizetype Count() const { return m_count.load(std::memory_order_acquire); }
    // Grows with every change of the rows (insert, edit, removal), so a view refreshed by a timer can tell
    // whether anything changed even when the count did not.
    quint64 Revision() const { return m_revision.load(std::memory_order_acquire); }
    bool IsEmpty() const { return Count() == 0; }
    // "Total Numbers : %d" with the current row count.
    QString CountText() const;

    // Row access; an index out of range gives an empty row.
    RecipientRow Row(qsizetype index) const;
    QString Number(qsizetype index) const { return Row(index).number; }
    QString Message(qsizetype index) const { return Row(index).message; }
    // Up to `count` rows from `first`, copied under one lock (a send job takes the whole list this way).
    std::vector<RecipientRow> Rows(qsizetype first = 0, qsizetype count = -1) const;
    // True when some row holds the number (same comparison as the duplicate test).
    bool ContainsNumber(const QString& number) const;
    // How many rows hold the number (compared as the duplicate test compares).
    qsizetype NumberCount(const QString& number) const;
    // True when every row's message is empty (also for an empty list).
    bool AllMessagesBlank() const;

    // Changing rows in place.
    void SetMessage(qsizetype index, const QString& message);
    void SetRow(qsizetype index, const QString& number, const QString& message);
    // Writes the text into the message of every row, or only of the rows whose message is empty.
    void ApplyMessage(const QString& message, bool onlyBlankRows);

    // "Clear Selected": removes the given rows (any order; repeats and rows out of range are ignored).
    [[nodiscard]] ListRefusal RemoveSelected(const std::vector<qsizetype>& rows);
    // "Clear All" after the user agreed; refused only for an empty list.
    [[nodiscard]] ListRefusal RemoveAll();
    // Removes every row whose number is exactly one of these texts (as stored); returns how many.
    qsizetype RemoveNumbers(const QStringList& numbers);
    // Reset: rows and applied message gone, nothing to refuse.
    void Reset();

    // The composer text that was last put into the rows. Cleared whenever the row count is found to be 0.
    QString AppliedMessage() const;
    void SetAppliedMessage(const QString& text);

    // The count refresh every adding or removing operation ends with (called by them already; callers call it
    // when they refresh the label): gives the count text and forgets the applied message when the list is
    // empty.
    QString UpdateCount();

private:
    // Steps 7 and 8 of the number check, for a number that passed the validity rule.
    NumberCheckError TestLocked(const QString& number, const NumberIndex::Key& key,
                                const NumberCheckOptions& options) const;
    void InsertLocked(qsizetype position, const QString& number, NumberIndex::Key key, const QString& message,
                      const QString& composer);
    void UpdateCountLocked();

    mutable std::mutex m_mutex;
    GapBuffer<RecipientRow> m_rows;
    NumberIndex m_numberIndex;       // rows holding each number, for the duplicate test; holds the comparison
    quint64 m_comparisonChanges = 0; // counts SetNumberComparison calls, so keys made outside the lock are checked
    QString m_appliedMessage;
    std::atomic<qsizetype> m_count{0};
    std::atomic<quint64> m_revision{0};
};
