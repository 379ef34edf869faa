#pragma once

#include "app/DataPaths.h"
#include "app/Prompter.h"
#include "templates/TemplateExport.h"
#include "templates/TemplateStore.h"

#include <QStringList>

#include <atomic>
#include <functional>
#include <optional>
#include <vector>

// The logic of the templates window over its list of templates (row 0 at the top): loading, the text
// check of the template dialog, Add New, Update, the two clear commands and Use Template. Every refusal is
// shown through the Prompter (caption "Message").
//
// Every change is made at once to the store as it is now (read, change, rewrite under its locks), and the list
// then becomes the store's templates after it, so templates another process (bulksms-cli, a second instance, a
// run saving sent messages) added while the window was open are kept and shown. A change that fails on the
// file leaves the list as it was.
//
// Threads: Load and AddImported may run on a worker while the window leaves the controller alone (its
// view keeps its own copy of Rows()). Selected rows are passed as row indexes sorted ascending without repeats.
class TemplatesController {
public:
    TemplatesController(DataPaths paths, Prompter& prompter);

    // Window load: ensures the data files and reads the store (exact duplicate test). On failure the file
    // error text is shown and the list stays empty.
    bool Load();

    const QStringList& Rows() const { return m_rows; }
    // "Total Items : %d"
    QString CountText() const { return CountText(m_rows.size()); }
    static QString CountText(qsizetype count);

    // The OK check of the template dialog: the refusal to show, or an empty text when the text may be
    // kept. ownRow is the row being updated (its own unchanged text is allowed), -1 when adding.
    static QString CheckTemplateText(const QString& text, const QStringList& rows, qsizetype ownRow = -1);

    // Add New after the dialog's OK: checks once more, against the store too, and puts the template on top
    // of the store. False, with the refusal or file error shown, when nothing was added.
    bool AddNew(const QString& text);

    // A workbook import's texts: each text that is not empty and not yet a template in the store (exact; a
    // text repeated among `texts` counts once) is put on top, in the order given, so the last one taken ends
    // on top; one rewrite of the store. When the store cannot be written its file error text is shown, nothing
    // is added and the result is nullopt. Otherwise the number added, also added to *progress (when given) for
    // a window that polls it from another thread. Templates longer than kMaxTemplateLength are kept whole.
    std::optional<qsizetype> AddImported(const QStringList& texts, std::atomic<qsizetype>* progress = nullptr);

    // "Update" (or a double-click): refused over an empty list, without a selection and with more than one
    // selected row.
    bool MayUpdate(const std::vector<qsizetype>& rows);
    // The template dialog's OK in update mode: the row's new text, checked as CheckTemplateText does (the
    // refusal shown, false), replaces the row's old text in the store (put on top when another process
    // removed it meanwhile).
    bool Update(qsizetype row, const QString& text);

    // "Clear Selected" (or Delete): refused over an empty list or without a selection.
    bool MayClearSelected(const std::vector<qsizetype>& rows);
    // Removes the rows' templates from the store. False, with the file error shown, when it cannot be written.
    bool RemoveRows(const std::vector<qsizetype>& rows);
    // "Clear All": refused over an empty list; the question (caption "Message", Yes/No, warning icon); Yes
    // removes every shown template from the store (those added since the list was read stay). True when they
    // were removed; a store that cannot be written shows its file error and keeps the rows.
    bool ClearAll();

    // "Use Template": refused over an empty list, with more than one selected row and without one. The
    // composer's text with the template put in place of its selection [selectionStart, selectionEnd) (the
    // caret when both are equal), with its line breaks as CR LF. Longer than the composer's limit, the user is
    // asked (kTooLongQuestion): No gives nullopt, Yes the first kMaxTemplateLength characters. The caller sets
    // the composer to it and then calls ReportUsed().
    std::optional<QString> UseTemplate(const std::vector<qsizetype>& rows, const QString& composerText,
                                       qsizetype selectionStart, qsizetype selectionEnd);
    void ReportUsed();

    static constexpr qsizetype kMaxTemplateLength = 1600;
    static inline const QString kTypeTemplate = QStringLiteral("Please type template message.");
    static inline const QString kAlreadyExists = QStringLiteral("Entered template already exists.");
    // The dialog's text box holds at most kMaxTemplateLength characters; a longer text from elsewhere is
    // refused, never cut.
    static inline const QString kTooLong = QStringLiteral("Template message can not be longer than 1600 characters.");
    static inline const QString& kEmptyList = TemplateExport::kEmptyList;
    static inline const QString kSelectToUpdate =
        QStringLiteral("Please select a template message from the template list to continue.");
    static inline const QString kOnlyOneToUpdate = QStringLiteral("Please select only one record to update.");
    static inline const QString kSelectAtLeastOne =
        QStringLiteral("Please select at least one record from the template list to continue.");
    static inline const QString kClearAllQuestion =
        QStringLiteral("This option will clear the entire list contents. Are you sure you want to continue clearing "
                       "the entire list?");
    static inline const QString kOnlyOneToUse = QStringLiteral("Please select only one record to use template.");
    static inline const QString kSelectToUse = QStringLiteral("Please select a template message to continue.");
    static inline const QString kTooLongQuestion =
        QStringLiteral("Maximum characters limit is 1600.\n\nPress \u2018Yes\u2019 to continue to composer window and "
                       "it will show first "
                       "1600 characters of your message otherwise press \u2018No\u2019.");
    static inline const QString kMovedToComposer =
        QStringLiteral("Selected template message has been moved to Message Composer window of Software.");

private:
    // Runs change over the store's templates as they are now, under its locks, and takes the result as the
    // list. change gives a refusal (shown; the store is left as it is) or an empty text to write its edit.
    bool Change(const std::function<QString(QStringList&)>& change);
    bool RemoveTexts(const QStringList& gone);

    DataPaths m_paths;
    Prompter& m_prompter;
    TemplateStore m_store;
    QStringList m_rows;
};
