#pragma once

#include "excel_import/ExcelInfoController.h"
#include "excel_import/ReaderLimits.h"
#include "excel_import/ReaderStatus.h"

#include <QString>
#include <QStringList>

#include <atomic>

class Prompter;
class TemplatesController;

// "Import Templates" of the templates window. The window asks for the file (kFileDialogFilter) and calls, in
// order: CheckFile, ReadSheetNames, then shows the sheet and column picker (ExcelInfoController over those
// names) and, when the user chose, Run on a worker. Run reads the checked columns of the chosen sheet left to
// right, each from the used range's first row to its last, and every non-empty cell text that is not yet a
// template (exact) becomes row 0 of the list and a record at the end of the store. Every message is shown
// through the Prompter, from whichever thread the step runs on.
class TemplateWorkbookImport {
public:
    static inline const QString kFileDialogFilter = QStringLiteral("Excel Files(*.xls;*.xlsx)|*.xls;*.xlsx||");
    // The please-wait window's text while the import runs.
    static inline const QString kPleaseWait = QStringLiteral("Importing templates from file, Please wait ...");
    // Caption "Warning".
    static inline const QString kMissing = QStringLiteral("File does not exist on selected location.");
    static inline const QString kInvalidFile = QStringLiteral("Please select a valid file.");
    static inline const QString kNothingAdded = QStringLiteral(
        "Either file is corrupted or selected file contains invalid characters.\n\nOR\n\nTemplates are skipped "
        "because of duplicate template already exits in the templates list.");

    struct Outcome {
        qsizetype added = 0;
        ReaderStatus status;      // a reader failure (already reported); templates read before it are added
        bool storeFailed = false; // the store could not be written (its file error text was shown); none added
    };

    // The import works on `templates`, which the window must leave alone while Run runs.
    TemplateWorkbookImport(TemplatesController& templates, Prompter& prompter,
                           const ReaderLimits& limits = ReaderLimits());

    // The chosen file must exist (kMissing, caption "Warning") and end in "xls" or "xlsx", in any letter case
    // (kInvalidFile). False, with the refusal shown, otherwise.
    bool CheckFile(const QString& path);
    // The workbook's sheet names for the picker. A reader failure is reported (Excel error box) and gives false.
    bool ReadSheetNames(const QString& path, QStringList* names);
    // Reads the chosen columns and adds the new templates; blocks, so run it off the window's thread. Shows a
    // reader failure as the reader's callers do, and kNothingAdded when the read succeeded and added nothing.
    Outcome Run(const QString& path, const ExcelInfoController::Choice& choice);

    // Templates added so far by the running Run (0 when it starts); may be read from any thread. The window shows
    // "Total Items : %d" with the row count it noted before the import plus this, every 500 ms.
    qsizetype Added() const { return m_added.load(std::memory_order_relaxed); }

private:
    TemplatesController& m_templates;
    Prompter& m_prompter;
    ReaderLimits m_limits;
    std::atomic<qsizetype> m_added{0};
};
