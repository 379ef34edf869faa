#include "composer/ListEditController.h"

#include "app/Prompter.h"
#include "composer/MessageComposer.h"
#include "exclusion/ExclusionSet.h"

#include <algorithm>

const QString ListEditController::kNothingAdded = QStringLiteral(
    "Either file is corrupted or selected file contains invalid characters.\n\nOR\n\nRecipient number is skipped "
    "because of using 'Skip Duplicate Numbers' or 'Exclusion List' option.");

const QString ListEditController::kFillAllQuestion =
    QStringLiteral("This action will copy the message of composer box to all numbers in the list.\n\nAre you sure "
                   "you want to continue?");
const QString ListEditController::kFillSelectedQuestion =
    QStringLiteral("This action will copy the message of composer box to the selected numbers in the list. The "
                   "messages of rest of the numbers remain unchanged.\n\nAre you sure you want to continue?");
const QString ListEditController::kFillBlankQuestion =
    QStringLiteral("This action will copy the message of composer box to the blank list items. The messages of rest "
                   "of the numbers remain unchanged.\n\nAre you sure you want to continue?");
const QString ListEditController::kUpdateSelectedQuestion =
    QStringLiteral("This action will copy the above message to the selected numbers in the list. The messages of "
                   "rest of the numbers remain unchanged.\n\nAre you sure you want to continue?");

namespace {

// Rows read per lock when the rows themselves must be looked at: the list stays usable by other threads.
constexpr qsizetype kScanChunk = 4096;

} // namespace

ListEditController::ListEditController(RecipientList& list, Prompter& prompter) : m_list(list), m_prompter(prompter) {}

bool ListEditController::Ask(const QString& question) const {
    return m_prompter.Ask(question, QStringLiteral("Confirm"), Prompter::Icon::Warning, Prompter::Buttons::YesNo) ==
           Prompter::Answer::Yes;
}

// ---- CManually_Multiple_Num_Add ----

QString ListEditController::TotalRowsText(qsizetype lineCount) {
    return QStringLiteral("Total Rows : %1").arg(lineCount);
}

qsizetype ListEditController::LineCount(const QString& text) {
    qsizetype lines = 1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\n')) {
            ++lines;
        } else if (c == QLatin1Char('\r')) {
            ++lines;
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
        }
    }
    return lines;
}

QStringList ListEditController::ManualPieces(const QString& text) {
    QStringList pieces;
    qsizetype start = 0;
    const auto flush = [&](qsizetype end) {
        if (end > start)
            pieces << text.mid(start, end - start);
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            flush(i);
            start = i + 1;
        }
    }
    flush(text.size());
    return pieces;
}

bool ListEditController::AcceptManualText(const QString& text) const {
    if (text.isEmpty()) {
        m_prompter.Notice(kNoItem);
        return false;
    }
    return true;
}

RecipientList::AddNumbersResult ListEditController::AddManualNumbers(const QString& text, const QString& composerText,
                                                                     const NumberCheckOptions& options) const {
    return m_list.AddNumbers(0, ManualPieces(text), composerText, composerText, options);
}

bool ListEditController::ReportManualOutcome(qsizetype countBefore) const {
    const qsizetype count = m_list.Count();
    if (count != 0 && count != countBefore)
        return false;
    m_prompter.Notice(kNothingAdded);
    return true;
}

// ---- CFill_Msg_In_List ----

ListEditFocus ListEditController::MayFillMessage(const QString& composerText) const {
    if (m_list.IsEmpty()) {
        m_prompter.Notice(ListRefusalText(ListRefusal::Empty));
        return ListEditFocus::NumberField;
    }
    if (composerText.isEmpty()) {
        m_prompter.Notice(kEnterMessage);
        return ListEditFocus::Composer;
    }
    return ListEditFocus::None;
}

bool ListEditController::ConfirmFill(FillScope scope, qsizetype selectedCount) const {
    switch (scope) {
    case FillScope::AllRows:
        return Ask(kFillAllQuestion);
    case FillScope::SelectedRows:
        if (selectedCount <= 0) {
            m_prompter.Notice(ListRefusalText(ListRefusal::NoSelection));
            return false;
        }
        return Ask(kFillSelectedQuestion);
    case FillScope::BlankRows:
        if (!HasBlankMessage()) {
            m_prompter.Notice(kNoBlankMessage);
            return false;
        }
        return Ask(kFillBlankQuestion);
    }
    return false;
}

bool ListEditController::HasBlankMessage() const {
    for (qsizetype first = 0; first < m_list.Count(); first += kScanChunk) {
        const std::vector<RecipientRow> rows = m_list.Rows(first, kScanChunk);
        if (rows.empty())
            break;
        if (std::any_of(rows.begin(), rows.end(), [](const RecipientRow& r) { return r.message.isEmpty(); }))
            return true;
    }
    return false;
}

void ListEditController::FillMessage(FillScope scope, const QString& composerText,
                                     const std::vector<qsizetype>& selectedRows) const {
    switch (scope) {
    case FillScope::AllRows:
        m_list.ApplyMessage(composerText, false);
        return;
    case FillScope::BlankRows:
        m_list.ApplyMessage(composerText, true);
        return;
    case FillScope::SelectedRows:
        WriteMessage(selectedRows, composerText);
        return;
    }
}

void ListEditController::FillAccepted(const QString& composerText) const {
    m_list.SetAppliedMessage(composerText);
}

// ---- CUpdate_Selected_Item_SMS ----

bool ListEditController::MayUpdateSelected(bool listWorkerRunning, qsizetype selectedCount, ListEditFocus* focus) const {
    if (focus != nullptr)
        *focus = ListEditFocus::None;
    if (listWorkerRunning)
        return false;
    if (m_list.IsEmpty()) {
        m_prompter.Notice(ListRefusalText(ListRefusal::Empty));
        if (focus != nullptr)
            *focus = ListEditFocus::NumberField;
        return false;
    }
    if (selectedCount <= 0) {
        m_prompter.Notice(ListRefusalText(ListRefusal::NoSelection));
        return false;
    }
    return true;
}

QString ListEditController::TotalSelectedText(qsizetype count) {
    return QStringLiteral("Total Selected Numbers : %1").arg(count);
}

QStringList ListEditController::NumbersOf(const std::vector<qsizetype>& rows) const {
    QStringList numbers;
    numbers.reserve(static_cast<qsizetype>(rows.size()));
    // Runs of consecutive rows are copied under one lock each (Ctrl+A over a million rows is one run).
    size_t i = 0;
    while (i < rows.size()) {
        size_t end = i + 1;
        while (end < rows.size() && rows[end] == rows[end - 1] + 1 && end - i < static_cast<size_t>(kScanChunk))
            ++end;
        for (const RecipientRow& row : m_list.Rows(rows[i], static_cast<qsizetype>(end - i)))
            numbers << row.number;
        i = end;
    }
    return numbers;
}

bool ListEditController::ConfirmUpdateSelected(const QString& boxText) const {
    if (boxText.isEmpty()) {
        m_prompter.Notice(kEnterMessage);
        return false;
    }
    return Ask(kUpdateSelectedQuestion);
}

void ListEditController::UpdateSelected(const std::vector<qsizetype>& rows, const QString& boxText) const {
    WriteMessage(rows, StoredMessage(boxText));
}

void ListEditController::WriteMessage(const std::vector<qsizetype>& rows, const QString& message) const {
    // Every row selected: one pass under one lock instead of a lock per row.
    if (!rows.empty() && static_cast<qsizetype>(rows.size()) == m_list.Count() && rows.front() == 0 &&
        rows.back() == m_list.Count() - 1) {
        m_list.ApplyMessage(message, false);
        return;
    }
    for (const qsizetype row : rows)
        m_list.SetMessage(row, message);
}

// ---- CUpdate_Num_Message ----

std::optional<ListEditController::RowEdit> ListEditController::RowToEdit(qsizetype firstSelectedRow) const {
    if (firstSelectedRow < 0)
        return std::nullopt;
    const RecipientRow row = m_list.Row(firstSelectedRow);
    if (row.number.isEmpty())
        return std::nullopt;
    return RowEdit{firstSelectedRow, row.number, row.message};
}

NumberCheckResult ListEditController::CheckEditedNumber(qsizetype row, const QString& raw,
                                                        const NumberCheckOptions& options) const {
    // Cleaning and validity only; the duplicate and exclusion tests differ from the other sources.
    NumberCheckResult result = m_list.CheckNumber(raw, NumberCheckOptions{});
    if (result.Ok()) {
        const QString& number = result.number;
        const bool ownNumber = m_list.SameNumber(m_list.Number(row), number);
        if (options.skipDuplicates && (ownNumber ? HeldByAnotherRow(number) : m_list.ContainsNumber(number))) {
            result.error = NumberCheckError::Duplicate;
        } else if (!ownNumber && options.useExclusionRules && options.exclusionSet != nullptr &&
                   options.exclusionSet->IsExcluded(number)) {
            result.error = NumberCheckError::Excluded;
        }
        if (!result.Ok())
            result.number.clear();
    }
    if (!result.Ok())
        m_prompter.Notice(result.Message());
    return result;
}

bool ListEditController::HeldByAnotherRow(const QString& number) const {
    // The edited row holds the number itself, so another row holds it when the index counts two or more.
    return m_list.NumberCount(number) > 1;
}

void ListEditController::WriteRow(qsizetype row, const QString& number, const QString& boxText) const {
    m_list.SetRow(row, number, StoredMessage(boxText));
}

// ---- Message boxes ----

QString ListEditController::StoredMessage(const QString& boxText) {
    return MessageComposer::WithCrLfLineBreaks(boxText);
}

QString ListEditController::BoxText(const QString& storedMessage) {
    QString text = storedMessage;
    text.replace(QLatin1String("\r\n"), QStringLiteral("\n"));
    return text;
}

QString ListEditController::CharactersText(const QString& boxText) {
    return QStringLiteral("%1 Characters").arg(StoredMessage(boxText).size());
}
