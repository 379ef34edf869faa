#pragma once

#include "app/WorkRunner.h"
#include "composer/ExcelImportProgress.h"
#include "composer/ExcelMessageImport.h"
#include "excel_import/ReaderLimits.h"
#include "excel_import/ReaderStatus.h"
#include "excel_import/SheetData.h"
#include "excel_import/WorkbookReader.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class Prompter;
class RecipientList;
struct NumberCheckOptions;

// The logic of the "Dynamic Message Import Wizard" (CDynamic_Excel_Msg), which adds rows to the Recipient list
// from one sheet of a workbook, in one of two modes: numbers and their messages from two columns, or one
// template with "<COL-n>" placeholders personalised for every row of one or more number columns. Page 1 picks
// the mode, page 2 the file, the sheet and the columns, page 3 (dynamic mode) the template. The window shows
// the state (page, texts, pickers) and forwards the user's actions; every check, message and question is here.
//
// Reading a workbook (its sheet names, a sheet's columns, the import itself) is long work, handed to the
// WorkRunner; while it runs the other actions do nothing. The rows go into the list through its number check
// with the options of the caller (Session::CheckOptions), from the top, ahead of the rows already there.
class ExcelWizardController {
public:
    enum class Mode { NumberAndMessage = 0, Dynamic = 2 };
    // The field a refusal moves the focus to.
    enum class Field { None, Path, Sheet, NumberColumn, MessageColumn, ColumnList, ColumnTable, Template };

    // What the import reads: sheet and columns are 1-based (picker position + 1).
    struct Request {
        Mode mode = Mode::NumberAndMessage;
        QString path;
        int sheet = 1;
        int numberColumn = 0;     // NumberAndMessage
        int messageColumn = 0;    // NumberAndMessage
        QList<int> numberColumns; // Dynamic: the checked number columns, in column order
        QString messageTemplate;  // Dynamic
    };

    // One of the first personalised messages, as the import would add it.
    struct PreviewRow {
        QString number;  // cleaned
        QString message; // cut to 1,600 characters
        friend bool operator==(const PreviewRow&, const PreviewRow&) = default;
    };

    ExcelWizardController(Prompter& prompter, WorkRunner runner, const ReaderLimits& limits = ReaderLimits());

    // The Recipient list the rows go into and the number check's options, read when the import starts and by
    // the preview. Without a list, Finish refuses nothing but imports nothing.
    void SetTarget(RecipientList* list, std::function<NumberCheckOptions()> options);

    // ---- State for the window ----
    int Page() const { return m_page; }
    Mode ImportMode() const { return m_mode; }
    bool IsBusy() const { return m_busy; }
    // An import is running (the progress window shows Progress()).
    bool IsImporting() const { return m_importing; }
    // The import ended with the list filled or nothing to add: the wizard closes.
    bool IsFinished() const { return m_finished; }
    int AddedRows() const { return m_added; }
    const ExcelImportProgress& Progress() const { return *m_progress; }

    // Button 1: "Continue", "Finish" (page 2, numbers and messages), "Next" (page 2, dynamic), "Finish" (page 3).
    QString ActionText() const;
    // Button 2: "Close" on page 1, "Back" on pages 2 and 3.
    QString BackText() const;
    // The text of page 2 for the mode.
    QString BrowseText() const;
    QString SheetLabel() const;
    // Mode 0: the number-column picker's label; dynamic mode: the check list's (which changes once page 3 was
    // left with Back).
    QString NumberColumnLabel() const;
    QString MessageColumnLabel() const;

    const QString& Path() const { return m_path; }
    const QStringList& Sheets() const { return m_sheets; }
    int SheetPosition() const { return m_sheetPosition; }
    // The offered columns (at most 10): name and placeholder of each.
    const QList<WorkbookReader::ColumnName>& Columns() const { return m_columns; }
    int NumberColumnPosition() const { return m_numberPosition; }
    int MessageColumnPosition() const { return m_messagePosition; }
    bool IsChecked(int index) const;
    // "Select All" shows checked exactly when there are columns and every one is checked.
    bool AllChecked() const;
    const QString& Template() const { return m_template; }

    // ---- Page 1 ----
    void SetMode(Mode mode);
    // "Continue": page 2.
    void Continue();

    // ---- Button 2 ----
    // "Back" (page 2: page 1 with the file and its pickers forgotten; page 3: page 2). False on page 1, where
    // the button is "Close" and the wizard closes. Ignored (true) while work runs.
    bool Back();

    // ---- Page 2 ----
    // After the file dialog (an empty path is a cancelled dialog): a missing file ("File does not exist on
    // selected location.", caption "Warning") or another extension than .xls and .xlsx ("Please select a valid
    // file.") is refused; otherwise the path is taken, the pickers are emptied and the sheet names are read.
    void Browse(const QString& path);
    // The user chose the sheet at `position`: the column pickers are emptied and filled from the sheet's first
    // ten columns (an empty sheet: "Excel sheet is empty.").
    void ChooseSheet(int position);
    void SetNumberColumn(int position);
    void SetMessageColumn(int position);
    void SetChecked(int index, bool checked);
    void SetAllChecked(bool checked);

    // Button 1 on pages 2 and 3: "Finish" checks the choices and runs the import; "Next" (dynamic mode, page
    // 2) checks them and opens page 3 with an empty template. A refusal is shown and gives the field at fault.
    Field Action();

    // ---- Page 3 ----
    // The `Column table`: "S.No.", "Coulmn", "Represent as" for every offered column.
    static inline const QStringList kColumnTableHeaders = {QStringLiteral("S.No."), QStringLiteral("Coulmn"),
                                                           QStringLiteral("Represent as")};
    static constexpr int kColumnTableWidths[3] = {60, 300, 100};
    // "Use Column" or a double click on row `row` (-1 for none): the placeholder to insert at the caret; with
    // no row, "Please select a record from the list to continue.".
    std::optional<QString> PlaceholderOfRow(int row);
    void SetTemplate(const QString& text);
    // The first `count` personalised messages the import would add with the template as it stands: records in
    // the import's order (number column, then row) whose number passes the number check, taken from the
    // sheet as read when it was chosen. At most kPreviewScan records are looked at.
    QList<PreviewRow> Preview(int count = kPreviewRows) const;

    static constexpr int kPreviewRows = 5;
    static constexpr int kPreviewScan = 1000;

    // ---- The import ----
    // Worker work: the rows of the request into the list. The observer follows every record.
    static ExcelMessageImport::Outcome RunImport(const Request& request, RecipientList& list,
                                                 const NumberCheckOptions& options,
                                                 ExcelMessageImport::Observer* observer = nullptr,
                                                 const ReaderLimits& limits = ReaderLimits());

    // ---- Texts ----
    static inline const QString kTitle = QStringLiteral("Dynamic Message Import Wizard");
    static inline const QString kNumberMessageRadio =
        QStringLiteral("Import Numbers and their respective messages from EXCEL File.");
    static inline const QString kDynamicRadio =
        QStringLiteral("On the basis of EXCEL file contents, create personalized Dynamic messages.");
    static const QString kNumberMessageDescription;
    static const QString kDynamicDescription;
    static const QString kBrowseNumberMessage;
    static const QString kBrowseDynamic;
    static inline const QString kPathLabel = QStringLiteral("File Path :");
    static inline const QString kTemplateLabel = QStringLiteral("Please create dynamic message here :");
    static inline const QString kPreviewLabel = QStringLiteral("The first personalized messages :");
    static inline const QString kFileFilter = QStringLiteral("Excel Files(*.xls;*.xlsx)|*.xls;*.xlsx||");
    static inline const QString kReadingText = QStringLiteral("Reading contents of Excel sheet, Please wait...");

    static inline const QString kMissingFile = QStringLiteral("File does not exist on selected location.");
    static inline const QString kInvalidFile = QStringLiteral("Please select a valid file.");
    static inline const QString kNoPath = QStringLiteral("Please select a valid file path.");
    static inline const QString kNoSheets = QStringLiteral("Please select a valid excel file there is no sheet.");
    static inline const QString kNoSheetChosen = QStringLiteral("Please select a Sheet.");
    static inline const QString kNoColumns = QStringLiteral("Please select a valid sheet there is no column.");
    static inline const QString kNoNumberColumn = QStringLiteral("Please select a column for Mobile number.");
    static inline const QString kNoMessageColumn = QStringLiteral("Please select a column for Message.");
    static inline const QString kNoTableRow = QStringLiteral("Please select a record from the list to continue.");
    static inline const QString kNoTemplate = QStringLiteral("Please enter some text message.");

    // The example window (CExl_Msg_EG).
    static inline const QString kExampleTitle = QStringLiteral("Example of personalized Dynamic Message");
    static inline const QString kExampleGroup = QStringLiteral("For Example");
    static const QString kExampleTemplateCaption;
    static const QString kExampleResultCaption;
    static const QString kExampleSheet;
    static const QString kExampleTemplate;
    // The example template filled from one example row of the sheet described in kExampleSheet.
    static QString ExampleResult();

private:
    void ClearFile();
    void ClearColumns();
    Field Refuse(const QString& message, Field field);
    Field CheckFileAndSheet();
    Field FinishNumberAndMessage();
    Field NextToTemplate();
    Field FinishDynamic();
    void StartImport(Request request);

    Prompter& m_prompter;
    WorkRunner m_run;
    ReaderLimits m_limits;
    RecipientList* m_list = nullptr;
    std::function<NumberCheckOptions()> m_options;

    int m_page = 1;
    Mode m_mode = Mode::NumberAndMessage;
    bool m_busy = false;
    bool m_importing = false;
    bool m_finished = false;
    bool m_backFromTemplate = false;
    int m_added = 0;

    QString m_path;
    QStringList m_sheets;
    int m_sheetPosition = -1;
    int m_shownSheet = 0; // 1-based sheet whose columns are offered; 0 for none
    QList<WorkbookReader::ColumnName> m_columns;
    SheetData m_range; // the chosen sheet as read for its columns: the preview's rows
    int m_numberPosition = -1;
    int m_messagePosition = -1;
    QList<bool> m_checked;
    QList<int> m_numberColumns; // the number-column selection, taken when page 2 is left with Next
    QString m_template;
    // Shared with the importing thread.
    std::shared_ptr<ExcelImportProgress> m_progress = std::make_shared<ExcelImportProgress>();
};
