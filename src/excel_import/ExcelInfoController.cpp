#include "excel_import/ExcelInfoController.h"

#include "app/Prompter.h"
#include "excel_import/WorkbookReader.h"

ExcelInfoController::ExcelInfoController(QString path, QStringList sheetNames, Prompter& prompter,
                                         const ReaderLimits& limits)
    : m_path(std::move(path)), m_sheets(std::move(sheetNames)), m_prompter(prompter), m_limits(limits) {}

ReaderStatus ExcelInfoController::ChooseSheet(int position) {
    const int sheet = position + 1;
    if (position < 0 || position >= m_sheets.size() || sheet == m_shownSheet)
        return ReaderStatus::Success();
    m_shownSheet = sheet;
    m_columns.clear();

    WorkbookReader reader(m_limits);
    QList<WorkbookReader::ColumnName> names;
    SheetData range;
    ReaderStatus status = reader.OpenSheet(m_path, sheet, &range);
    if (status)
        status = reader.ColumnNames(WorkbookReader::kNoLimit, &names);
    reader.CloseWorkbook();
    if (!status) {
        status.Report(m_prompter);
        return status;
    }
    for (const WorkbookReader::ColumnName& name : names)
        m_columns.append({name.column, name.name, false});
    return status;
}

void ExcelInfoController::SetChecked(int index, bool checked) {
    if (index >= 0 && index < m_columns.size())
        m_columns[index].checked = checked;
}

void ExcelInfoController::SetAllChecked(bool checked) {
    for (Column& column : m_columns)
        column.checked = checked;
}

bool ExcelInfoController::AllChecked() const {
    if (m_columns.isEmpty())
        return false;
    for (const Column& column : m_columns) {
        if (!column.checked)
            return false;
    }
    return true;
}

bool ExcelInfoController::Accept() {
    if (m_columns.isEmpty()) {
        m_prompter.Notice(QStringLiteral("There is no column.\n\nOR\n\nNo column is selected."));
        return false;
    }
    for (const Column& column : m_columns) {
        if (column.checked)
            return true;
    }
    m_prompter.Notice(QStringLiteral("No column is selected."));
    return false;
}

ExcelInfoController::Choice ExcelInfoController::Result() const {
    return {m_shownSheet == 0 ? 1 : m_shownSheet, m_columns};
}
