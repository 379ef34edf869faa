#pragma once

#include "app/DataPaths.h"
#include "app/Prompter.h"
#include "templates/TemplateStore.h"

#include <QStringList>

#include <atomic>
#include <optional>

// The logic of the templates window over its list of templates (row 0 at the top): loading, the text
// check of the template dialog, Add New and saving the list back to the store. Every refusal is shown
// through the Prompter (caption "Message").
class TemplatesController {
public:
    TemplatesController(DataPaths paths, Prompter& prompter);

    // Window load: ensures the data files and reads the store (exact duplicate test). On failure the file
    // error text is shown and the list stays empty.
    bool Load();

    const QStringList& Rows() const { return m_rows; }
    // "Total Items : %d"
    QString CountText() const;

    // The OK check of the template dialog: the refusal to show, or an empty text when the text may be
    // kept. ownRow is the row being updated (its own unchanged text is allowed), -1 when adding.
    static QString CheckTemplateText(const QString& text, const QStringList& rows, qsizetype ownRow = -1);

    // Add New after the dialog's OK: checks once more, appends the record to the store and inserts the
    // template as row 0. False, with the refusal or file error shown, when nothing was added.
    bool AddNew(const QString& text);

    // A workbook import's texts: each text that is not empty and not yet a template (exact; a text repeated
    // among `texts` counts once) is appended to the store as a record and inserted as row 0, in the order
    // given, so the last one taken ends on top. The records go to the store in one write before any row is
    // inserted: when the store cannot be written its file error text is shown, nothing is added and the result
    // is nullopt. Otherwise the number added; *progress (when given) follows the rows as they are inserted,
    // for a window that polls it from another thread. Templates longer than kMaxTemplateLength are kept whole.
    std::optional<qsizetype> AddImported(const QStringList& texts, std::atomic<qsizetype>* progress = nullptr);

    // Close: ensures the data files and rewrites the store from the rows (bottom row first).
    bool Save();

    static constexpr qsizetype kMaxTemplateLength = 1600;
    static inline const QString kTypeTemplate = QStringLiteral("Please type template message.");
    static inline const QString kAlreadyExists = QStringLiteral("Entered template already exists.");
    // The dialog's text box holds at most kMaxTemplateLength characters; a longer text from elsewhere is
    // refused, never cut.
    static inline const QString kTooLong = QStringLiteral("Template message can not be longer than 1600 characters.");

private:
    DataPaths m_paths;
    Prompter& m_prompter;
    TemplateStore m_store;
    QStringList m_rows;
};
