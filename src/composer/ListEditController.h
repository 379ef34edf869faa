#pragma once

#include "composer/RecipientList.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class Prompter;

// Where a refusal of the main window sends the focus before one of the list editing windows opens.
enum class ListEditFocus {
    None,
    NumberField, // "Enter Recipient Number"
    Composer,    // the composer's text box
};

// The logic of the main window's four list editing windows, over the Recipient list:
//  - CManually_Multiple_Num_Add: typed or pasted numbers, split at line breaks and tabs, through the silent
//    number check and inserted at 0, 1, 2 ... with the composer text;
//  - CFill_Msg_In_List: the composer text into all, the selected or the blank rows;
//  - CUpdate_Selected_Item_SMS: a message typed in the window into the selected rows;
//  - CUpdate_Num_Message: one row's number and message, with its own number check.
// Every check, text and question of those windows lives here; questions and refusals go through the
// Prompter. The windows call the checks on their own thread; the members documented as worker work only touch
// the list (which is thread-safe) and may run on a pool thread.
//
// Selected rows are passed as row indexes sorted ascending without repeats (as the main window's selection
// gives them).
class ListEditController {
public:
    // CManually_Multiple_Num_Add.
    static inline const QString kManualTitle = QStringLiteral("Add or Paste numbers Manually");
    static inline const QString kManualHint =
        QStringLiteral("You can Type or simply Paste the Contact numbers here. Enter or Tab are used as separators "
                       "to separate the contacts entered in this form.");
    static inline const QString kNoItem = QStringLiteral("No item to insert in list.");
    static const QString kNothingAdded;

    // CFill_Msg_In_List.
    static inline const QString kFillTitle = QStringLiteral("Apply message to list items");
    static inline const QString kFillAllChoice = QStringLiteral("Apply message to all list items ");
    static inline const QString kFillSelectedChoice = QStringLiteral("Apply message only to selected list items");
    static inline const QString kFillBlankChoice = QStringLiteral("Apply message only in blank list items");
    static const QString kFillAllQuestion;
    static const QString kFillSelectedQuestion;
    static const QString kFillBlankQuestion;
    static inline const QString kNoBlankMessage =
        QStringLiteral("There is no blank message in the phone numbers-messages list.");

    // CUpdate_Selected_Item_SMS.
    static inline const QString kUpdateSelectedTitle = QStringLiteral("Update Selected Messages");
    static inline const QString kSelectedListCaption = QStringLiteral("Selected Numbers List");
    static inline const QString kSelectedColumn = QStringLiteral("Selected Numbers");
    static constexpr int kSelectedColumnWidth = 200; // pixels, before the column is fitted to the view
    static inline const QString kApplyToSelected = QStringLiteral("Apply to Selected\nNumbers");
    static const QString kUpdateSelectedQuestion;

    // CUpdate_Num_Message.
    static inline const QString kUpdateRowTitle = QStringLiteral("Update");
    static inline const QString kNumberCaption = QStringLiteral("Number :");
    static inline const QString kMessageCaption = QStringLiteral("Message :");
    static inline const QString kUpdateButton = QStringLiteral("Update");

    // Shared refusals.
    static inline const QString kEnterMessage = QStringLiteral("Please enter some text message.");

    // The scopes of CFill_Msg_In_List, in the order of its choices.
    enum class FillScope { AllRows, SelectedRows, BlankRows };

    // One row opened in CUpdate_Num_Message.
    struct RowEdit {
        qsizetype row = -1;
        QString number;
        QString message;
    };

    ListEditController(RecipientList& list, Prompter& prompter);

    RecipientList& List() const { return m_list; }

    // ---- CManually_Multiple_Num_Add ----

    // "Total Rows : %d" for the text box's line count (1 for an empty box).
    static QString TotalRowsText(qsizetype lineCount);
    // The line count of a text as the box shows it: line breaks plus one.
    static qsizetype LineCount(const QString& text);
    // The number texts of the box: each line in order (CR LF, LF or CR ends one), split at tab characters;
    // empty pieces are left out.
    static QStringList ManualPieces(const QString& text);
    // OK: an empty text is refused with kNoItem (the text box gets the focus back); true to go on.
    [[nodiscard]] bool AcceptManualText(const QString& text) const;
    // Worker work: the pieces through the silent number check, inserted at 0, 1, 2 ... with the composer text.
    RecipientList::AddNumbersResult AddManualNumbers(const QString& text, const QString& composerText,
                                                     const NumberCheckOptions& options) const;
    // Back in the main window: kNothingAdded when the list is empty or holds as many rows as before the entry.
    // True when the notice was shown.
    bool ReportManualOutcome(qsizetype countBefore) const;

    // ---- CFill_Msg_In_List ----

    // The main window's checks before the window opens: a non-empty list, then a non-empty composer. The
    // refusal's focus target, or None to open the window.
    [[nodiscard]] ListEditFocus MayFillMessage(const QString& composerText) const;
    // OK with a scope: the refusal or the question of that scope (caption "Confirm", Yes/No, warning icon).
    // True when the user agreed; false keeps the window open.
    [[nodiscard]] bool ConfirmFill(FillScope scope, qsizetype selectedCount) const;
    // True when some row's message is empty; stops at the first.
    bool HasBlankMessage() const;
    // Worker work: the composer text into the rows of the scope.
    void FillMessage(FillScope scope, const QString& composerText, const std::vector<qsizetype>& selectedRows) const;
    // After the window ended with OK: the composer text becomes the applied message.
    void FillAccepted(const QString& composerText) const;

    // ---- CUpdate_Selected_Item_SMS ----

    // The main window's checks: nothing while a list worker runs (no message), a non-empty list (refused
    // towards the number field), a selection.
    [[nodiscard]] bool MayUpdateSelected(bool listWorkerRunning, qsizetype selectedCount,
                                         ListEditFocus* focus = nullptr) const;
    // "Total Selected Numbers : %d".
    static QString TotalSelectedText(qsizetype count);
    // Worker work: the numbers of the rows, in list order.
    QStringList NumbersOf(const std::vector<qsizetype>& rows) const;
    // "Apply to Selected\nNumbers": an empty message is refused with kEnterMessage (focus to the message box),
    // else the question. True when the user agreed.
    [[nodiscard]] bool ConfirmUpdateSelected(const QString& boxText) const;
    // Worker work: the message (as the box holds it) into every given row.
    void UpdateSelected(const std::vector<qsizetype>& rows, const QString& boxText) const;

    // ---- CUpdate_Num_Message ----

    // The row to edit: the first selected row, unless its number is empty (or there is none).
    std::optional<RowEdit> RowToEdit(qsizetype firstSelectedRow) const;
    // The number check of the edited row: cleaning and validity as for every source; with "Skip Duplicate
    // Numbers", refused only when a row other than `row` holds the number; no exclusion test when the number
    // is the row's own. On refusal the message is shown (the number field gets the focus back).
    [[nodiscard]] NumberCheckResult CheckEditedNumber(qsizetype row, const QString& raw,
                                                      const NumberCheckOptions& options) const;
    // Writes the checked number and the message (as the box holds it) into the row.
    void WriteRow(qsizetype row, const QString& number, const QString& boxText) const;

    // ---- Message boxes ----

    // A message box's text as rows store it: line breaks as CR LF, like the composer.
    static QString StoredMessage(const QString& boxText);
    // A stored message as a box shows it (LF line breaks).
    static QString BoxText(const QString& storedMessage);
    // "%d Characters" for a box's text, counted as the composer counts (a line break counts 2).
    static QString CharactersText(const QString& boxText);

private:
    // True when a row other than the edited one holds the number; used only when the number is that row's own.
    bool HeldByAnotherRow(const QString& number) const;
    bool Ask(const QString& question) const;
    // The message into every given row; all rows selected take one pass under one lock.
    void WriteMessage(const std::vector<qsizetype>& rows, const QString& message) const;

    RecipientList& m_list;
    Prompter& m_prompter;
};
