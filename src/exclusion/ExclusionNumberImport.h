#pragma once

#include "exclusion/ExclusionListRules.h"

#include "excel_import/ExcelInfoController.h"
#include "excel_import/ReaderLimits.h"
#include "excel_import/ReaderStatus.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <optional>

class ExclusionNumberList;
class Prompter;

// "..." and "Load" of the exclusion list wizard's numbers page, over text files and workbooks alike, so the
// window only forwards: CheckChosenFile after its file dialog (kFileDialogFilter); at "Load", CheckLoadPath,
// then for a text file RunText on a worker, for a workbook ReadSheetNames, the sheet and column picker
// (ExcelInfoController over those names) and, when the user chose, RunWorkbook on a worker. Both take their
// numbers through the token rule of the text import (ImportNumberTokens): numbers new to the list go on top,
// the first taken becoming row 0. Every message is shown through the Prompter, from whichever thread the step
// runs on.
class ExclusionNumberImport {
public:
    enum class Kind { Text, Workbook };

    struct Outcome {
        qsizetype taken = 0;  // numbers added to the list; more than 0 marks the numbers changed
        ReaderStatus status;  // a workbook reader's failure (already reported); numbers read before it are taken
        bool refused = false; // the file was refused or could not be read (already reported); nothing taken
    };

    static inline const QString kFileDialogFilter =
        QStringLiteral("Text & Excel Files(*.txt;*.xls;*.xlsx)|*.txt;*.xls;*.xlsx||");
    static inline const QString kNoPath = QStringLiteral("Please select a valid file path.");

    // The import works on `list`, which the window must leave alone while a Run call runs.
    ExclusionNumberImport(ExclusionNumberList& list, Prompter& prompter, const ReaderLimits& limits = ReaderLimits());

    // After the file dialog: the file must exist ("File does not exist on selected location.", caption
    // "Warning") and be .txt, .xls or .xlsx in any letter case ("Please select a valid file."). False, with the
    // refusal shown, when the path is not to be set.
    bool CheckChosenFile(const QString& path);
    // "Load": an empty or missing path gives kNoPath, another extension "Please select a valid file." (the path
    // edit may have been typed into); otherwise the kind of import to run.
    std::optional<Kind> CheckLoadPath(const QString& path);

    // A text file: refused when it starts with a UTF-16 or UTF-8 byte-order mark or is empty; otherwise read
    // whole as 8-bit text and split into tokens. Shows the file error text when it cannot be read.
    Outcome RunText(const QString& path);
    // A workbook's sheet names for the picker. A reader failure is reported (Excel error box) and gives false.
    bool ReadSheetNames(const QString& path, QStringList* names);
    // A workbook: every checked column in column order, every row of the used range (no row cap), each cell
    // text one token. Blocks; run it off the window's thread.
    Outcome RunWorkbook(const QString& path, const ExcelInfoController::Choice& choice);

    // Numbers taken so far by the running import; may be read from any thread (the window adds it to the count
    // it had before the import for "Total Numbers : %d", every 500 ms).
    qsizetype Taken() const { return m_taken.load(std::memory_order_relaxed); }

private:
    ExclusionNumberList& m_list;
    Prompter& m_prompter;
    ReaderLimits m_limits;
    std::atomic<qsizetype> m_taken{0};
};
