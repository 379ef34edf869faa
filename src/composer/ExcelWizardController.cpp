#include "composer/ExcelWizardController.h"

#include "app/Prompter.h"
#include "composer/DynamicMessageImport.h"
#include "composer/RecipientList.h"

#include <QFileInfo>

#include <algorithm>

const QString ExcelWizardController::kNumberMessageDescription = QStringLiteral(
    "This option allows you to import contact numbers and their respective SMS texts directly from excel file. "
    "\n\nNote:\n1. Maximum of 50,000 records in a single sheet are supported at a time.\n2. Each message may be of "
    "maximum 1600 characters.");
const QString ExcelWizardController::kDynamicDescription = QStringLiteral(
    "This option allows you to create dynamic and personalized message for each contact by using data in various "
    "excel columns.\n\nNote:\n1. Maximum of 10 Column in a single sheet are supported at a time.\n2. Maximum of "
    "50,000 records in a single sheet are supported.\n3. Each message may be of maximum 1600 characters.");
const QString ExcelWizardController::kBrowseNumberMessage = QStringLiteral(
    "Browse the location of Excel file to import contact numbers and their respective SMS texts. \n\nNote:\n1. "
    "Maximum of 50,000 records in a single sheet are supported at a time.\n2. Each message may be of maximum 1600 "
    "characters.");
const QString ExcelWizardController::kBrowseDynamic = QStringLiteral(
    "Browse the location of Excel file which you want to use to create dynamic and personalized message for each "
    "contact by using data of its various columns.\n\nNote:\n1. Maximum of 10 Column in a single sheet are "
    "supported at a time.\n2. Maximum of 50,000 records in a single sheet are supported.\n3. Each message may be of "
    "maximum 1600 characters.");

const QString ExcelWizardController::kExampleTemplateCaption =
    QStringLiteral("You can compose the SMS for informing all the parents about their child\u2019s result as follows:");
const QString ExcelWizardController::kExampleResultCaption =
    QStringLiteral("And the message that will be sent to recipient mobile will be something like:");
const QString ExcelWizardController::kExampleSheet = QStringLiteral(
    "If any Excel file contains following information of student of any school, you may dynamically compose "
    "personalize messages to the parents of all students:\n\n"
    "Column 1: Parent\u2019s Mobile Numbers\n"
    "Column 2: Parent\u2019s name\n"
    "Column 3: Student Name\n"
    "Column 4: Class\n"
    "Column 5: Section\n"
    "Column 6: Total Marks\n"
    "Column 7: Marks Obtained\n"
    "Column 8: Passed/Failed Status\n");
const QString ExcelWizardController::kExampleTemplate = QStringLiteral(
    "Dear <COL-2> ,\n"
    "This is to inform you that <COL-3> , studying in <COL-4> <COL-5> has <COL-8> by obtaining <COL-7> marks out "
    "of <COL-6> in monthly tests.\n"
    "Regards\n\nXYZ School\n");

QString ExcelWizardController::ExampleResult() {
    // One row of the sheet described above, column 1 first.
    const QStringList row = {QStringLiteral("+15550100123"),
                             QStringLiteral("Mr. Robert Brown"),
                             QStringLiteral("Emily Brown"),
                             QStringLiteral("VII"),
                             QStringLiteral("C"),
                             QStringLiteral("600"),
                             QStringLiteral("564"),
                             QStringLiteral("Passed")};
    QString result = kExampleTemplate;
    for (int column = 1; column <= row.size(); ++column)
        result.replace(WorkbookReader::Placeholder(column), row.at(column - 1));
    return result;
}

ExcelWizardController::ExcelWizardController(Prompter& prompter, WorkRunner runner, const ReaderLimits& limits)
    : m_prompter(prompter), m_run(std::move(runner)), m_limits(limits) {}

void ExcelWizardController::SetTarget(RecipientList* list, std::function<NumberCheckOptions()> options) {
    m_list = list;
    m_options = std::move(options);
}

// ---- Texts ----

QString ExcelWizardController::ActionText() const {
    if (m_page == 1)
        return QStringLiteral("Continue");
    if (m_page == 2 && m_mode == Mode::Dynamic)
        return QStringLiteral("Next");
    return QStringLiteral("Finish");
}

QString ExcelWizardController::BackText() const {
    return m_page == 1 ? QStringLiteral("Close") : QStringLiteral("Back");
}

QString ExcelWizardController::BrowseText() const {
    return m_mode == Mode::Dynamic ? kBrowseDynamic : kBrowseNumberMessage;
}

QString ExcelWizardController::SheetLabel() const {
    return m_mode == Mode::Dynamic
               ? QStringLiteral("Select the sheet containing phone numbers and data to create dynamic messages:")
               : QStringLiteral("Please select the sheet containing phone numbers and messages:");
}

QString ExcelWizardController::NumberColumnLabel() const {
    if (m_mode == Mode::NumberAndMessage)
        return QStringLiteral("Select the column containing phone numbers:");
    return m_backFromTemplate ? QStringLiteral("Please select Column(s) containing Mobile Number :")
                              : QStringLiteral("Please select Column(s) containing Mobile Numbers:");
}

QString ExcelWizardController::MessageColumnLabel() const {
    return QStringLiteral("Select the column containing messages:");
}

bool ExcelWizardController::IsChecked(int index) const {
    return index >= 0 && index < m_checked.size() && m_checked.at(index);
}

bool ExcelWizardController::AllChecked() const {
    return !m_checked.isEmpty() && std::all_of(m_checked.begin(), m_checked.end(), [](bool c) { return c; });
}

// ---- Pages ----

void ExcelWizardController::SetMode(Mode mode) {
    if (!m_busy && m_page == 1)
        m_mode = mode;
}

void ExcelWizardController::Continue() {
    if (!m_busy && m_page == 1)
        m_page = 2;
}

bool ExcelWizardController::Back() {
    if (m_busy)
        return true;
    switch (m_page) {
    case 1:
        return false;
    case 2:
        ClearFile();
        m_page = 1;
        return true;
    default:
        m_page = 2;
        m_backFromTemplate = true;
        return true;
    }
}

void ExcelWizardController::ClearFile() {
    m_path.clear();
    m_sheets.clear();
    m_sheetPosition = -1;
    m_backFromTemplate = false;
    ClearColumns();
}

void ExcelWizardController::ClearColumns() {
    m_shownSheet = 0;
    m_columns.clear();
    m_range = SheetData();
    m_numberPosition = -1;
    m_messagePosition = -1;
    m_checked.clear();
    m_numberColumns.clear();
}

ExcelWizardController::Field ExcelWizardController::Refuse(const QString& message, Field field) {
    m_prompter.Notice(message);
    return field;
}

// ---- Page 2 ----

void ExcelWizardController::Browse(const QString& path) {
    if (m_busy || m_page != 2 || path.isEmpty())
        return;
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile()) {
        m_prompter.Ask(kMissingFile, QStringLiteral("Warning"), Prompter::Icon::Warning, Prompter::Buttons::Ok);
        return;
    }
    const QString extension = info.suffix().toLower();
    if (extension != QLatin1String("xls") && extension != QLatin1String("xlsx")) {
        m_prompter.Notice(kInvalidFile);
        return;
    }
    ClearFile();
    m_path = path;
    struct Names {
        ReaderStatus status;
        QStringList names;
    };
    auto read = std::make_shared<Names>();
    m_busy = true;
    m_run(
        kReadingText, [read, path] { read->status = WorkbookReader::ReadSheetNames(path, &read->names); },
        [this, read] {
            m_busy = false;
            if (!read->status.Ok()) {
                read->status.Report(m_prompter);
                return;
            }
            m_sheets = read->names;
        });
}

void ExcelWizardController::ChooseSheet(int position) {
    if (m_busy || position < 0 || position >= m_sheets.size())
        return;
    m_sheetPosition = position;
    ClearColumns();
    struct Columns {
        ReaderStatus status;
        QList<WorkbookReader::ColumnName> names;
        SheetData range;
    };
    auto read = std::make_shared<Columns>();
    const int sheet = position + 1;
    m_busy = true;
    m_run(
        kReadingText,
        [read, path = m_path, sheet, limits = m_limits] {
            WorkbookReader reader(limits);
            read->status = reader.OpenSheet(path, sheet, &read->range);
            if (read->status)
                read->status = reader.ColumnNames(ExcelMessageImport::kMaxImportColumns, &read->names);
            reader.CloseWorkbook();
        },
        [this, read, sheet] {
            m_busy = false;
            if (!read->status.Ok()) {
                read->status.Report(m_prompter);
                return;
            }
            m_shownSheet = sheet;
            m_columns = read->names;
            m_range = read->range;
            m_checked = QList<bool>(m_columns.size(), false);
        });
}

void ExcelWizardController::SetNumberColumn(int position) {
    if (!m_busy && position >= -1 && position < m_columns.size())
        m_numberPosition = position;
}

void ExcelWizardController::SetMessageColumn(int position) {
    if (!m_busy && position >= -1 && position < m_columns.size())
        m_messagePosition = position;
}

void ExcelWizardController::SetChecked(int index, bool checked) {
    if (!m_busy && index >= 0 && index < m_checked.size())
        m_checked[index] = checked;
}

void ExcelWizardController::SetAllChecked(bool checked) {
    if (!m_busy)
        std::fill(m_checked.begin(), m_checked.end(), checked);
}

ExcelWizardController::Field ExcelWizardController::Action() {
    if (m_busy)
        return Field::None;
    if (m_page == 1) {
        Continue();
        return Field::None;
    }
    if (m_page == 3)
        return FinishDynamic();
    return m_mode == Mode::Dynamic ? NextToTemplate() : FinishNumberAndMessage();
}

ExcelWizardController::Field ExcelWizardController::CheckFileAndSheet() {
    if (m_path.trimmed().isEmpty() || !QFileInfo(m_path).isFile())
        return Refuse(kNoPath, Field::Path);
    if (m_sheets.isEmpty())
        return Refuse(kNoSheets, Field::Path);
    if (m_sheetPosition < 0 || m_sheets.at(m_sheetPosition).trimmed().isEmpty())
        return Refuse(kNoSheetChosen, Field::Sheet);
    return Field::None;
}

ExcelWizardController::Field ExcelWizardController::FinishNumberAndMessage() {
    if (const Field field = CheckFileAndSheet(); field != Field::None)
        return field;
    // Both pickers list the same columns.
    if (m_columns.isEmpty())
        return Refuse(kNoColumns, Field::NumberColumn);
    if (m_numberPosition < 0)
        return Refuse(kNoNumberColumn, Field::NumberColumn);
    if (m_messagePosition < 0)
        return Refuse(kNoMessageColumn, Field::MessageColumn);
    Request request;
    request.mode = Mode::NumberAndMessage;
    request.path = m_path;
    request.sheet = m_sheetPosition + 1;
    request.numberColumn = m_columns.at(m_numberPosition).column;
    request.messageColumn = m_columns.at(m_messagePosition).column;
    StartImport(std::move(request));
    return Field::None;
}

ExcelWizardController::Field ExcelWizardController::NextToTemplate() {
    if (const Field field = CheckFileAndSheet(); field != Field::None)
        return field;
    if (m_columns.isEmpty())
        return Refuse(kNoColumns, Field::ColumnList);
    m_numberColumns.clear();
    for (qsizetype i = 0; i < m_columns.size(); ++i) {
        if (m_checked.at(i))
            m_numberColumns << m_columns.at(i).column;
    }
    if (m_numberColumns.isEmpty())
        return Refuse(kNoNumberColumn, Field::ColumnList);
    m_page = 3;
    m_template.clear();
    return Field::None;
}

// ---- Page 3 ----

std::optional<QString> ExcelWizardController::PlaceholderOfRow(int row) {
    if (row < 0 || row >= m_columns.size()) {
        m_prompter.Notice(kNoTableRow);
        return std::nullopt;
    }
    return m_columns.at(row).placeholder;
}

void ExcelWizardController::SetTemplate(const QString& text) {
    if (!m_busy)
        m_template = text;
}

QList<ExcelWizardController::PreviewRow> ExcelWizardController::Preview(int count) const {
    QList<PreviewRow> rows;
    if (m_list == nullptr || m_template.isEmpty() || m_numberColumns.isEmpty())
        return rows;
    const NumberCheckOptions options = m_options ? m_options() : NumberCheckOptions();
    const int sheetRows = std::min(m_range.Rows(), ExcelMessageImport::kMaxImportRows);
    int scanned = 0;
    QString number;
    QString message;
    for (const int column : m_numberColumns) {
        for (int row = 1; row <= sheetRows; ++row) {
            if (++scanned > kPreviewScan)
                return rows;
            // The import stops at a cell it cannot read; so does the preview.
            if (!m_range.CellText(row, column, &number).Ok())
                return rows;
            const NumberCheckResult check = m_list->CheckNumber(number, options);
            if (!check.Ok())
                continue;
            if (options.skipDuplicates && std::any_of(rows.begin(), rows.end(), [&](const PreviewRow& shown) {
                    return m_list->SameNumber(shown.number, check.number);
                }))
                continue;
            if (!DynamicMessageImport::Compose(m_template, m_range, row, &message).Ok())
                return rows;
            rows.append({check.number, ExcelMessageImport::Stored(message)});
            if (rows.size() >= count)
                return rows;
        }
    }
    return rows;
}

ExcelWizardController::Field ExcelWizardController::FinishDynamic() {
    if (m_template.trimmed().isEmpty())
        return Refuse(kNoTemplate, Field::Template);
    Request request;
    request.mode = Mode::Dynamic;
    request.path = m_path;
    request.sheet = m_sheetPosition + 1;
    request.numberColumns = m_numberColumns;
    request.messageTemplate = m_template;
    StartImport(std::move(request));
    return Field::None;
}

// ---- The import ----

ExcelMessageImport::Outcome ExcelWizardController::RunImport(const Request& request, RecipientList& list,
                                                             const NumberCheckOptions& options,
                                                             ExcelMessageImport::Observer* observer,
                                                             const ReaderLimits& limits) {
    if (request.mode == Mode::Dynamic)
        return DynamicMessageImport::Import(request.path, request.sheet, request.numberColumns, request.messageTemplate,
                                            list, options, observer, limits);
    return ExcelMessageImport::Import(request.path, request.sheet, request.numberColumn, request.messageColumn, list,
                                      options, observer, limits);
}

void ExcelWizardController::StartImport(Request request) {
    if (m_list == nullptr)
        return;
    auto outcome = std::make_shared<ExcelMessageImport::Outcome>();
    const NumberCheckOptions options = m_options ? m_options() : NumberCheckOptions();
    m_progress->Reset();
    m_busy = true;
    m_importing = true;
    m_run(
        ExcelMessageImport::kWaitText,
        [outcome, request = std::move(request), list = m_list, options, progress = m_progress, limits = m_limits] {
            *outcome = RunImport(request, *list, options, progress.get(), limits);
        },
        [this, outcome] {
            m_busy = false;
            m_importing = false;
            m_added += outcome->added;
            // A reader failure keeps the wizard open on its page; the rows taken before it stay in the list.
            if (!outcome->status.Ok()) {
                outcome->status.Report(m_prompter);
                return;
            }
            if (!outcome->refusal.isEmpty())
                m_prompter.Notice(outcome->refusal);
            m_finished = true;
        });
}
