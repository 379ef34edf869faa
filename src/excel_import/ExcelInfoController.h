#pragma once

#include "excel_import/ReaderLimits.h"
#include "excel_import/ReaderStatus.h"

#include <QList>
#include <QString>
#include <QStringList>

class Prompter;

// The logic of the sheet and column picker CExcel_Info_Dlg ("Select Excel Sheet To Open") that the contact
// file import and the exclusion list import show: the workbook's sheets, the columns of the chosen sheet as
// a check list, and the checks of OK. The caller reads the sheet names first (WorkbookReader::
// ReadSheetNames); the window shows Sheets(), Columns() and AllChecked(), and forwards the user's actions.
class ExcelInfoController {
public:
    static inline const QString kTitle = QStringLiteral("Select Excel Sheet To Open");
    // Shown while ChooseSheet reads the sheet.
    static inline const QString kReadingText = QStringLiteral("Reading contents of Excel sheet, Please wait...");

    struct Column {
        int number = 0; // the column's number within the used range, from 1
        QString name;
        bool checked = false;
        friend bool operator==(const Column&, const Column&) = default;
    };
    struct Choice {
        int sheet = 0; // 1-based sheet number
        QList<Column> columns;
    };

    ExcelInfoController(QString path, QStringList sheetNames, Prompter& prompter,
                        const ReaderLimits& limits = ReaderLimits());

    // "Sheets": the names in workbook order; position + 1 is the sheet number.
    const QStringList& Sheets() const { return m_sheets; }

    // The user chose the sheet at `position` (from 0). Choosing the sheet already shown does nothing;
    // otherwise the workbook is read (the window shows kReadingText meanwhile; the call blocks, so run it off
    // the window's thread) and "Columns" is filled with every column name of the sheet, unchecked. An empty
    // sheet gives "Excel sheet is empty."; a reader failure its Excel error box; both leave "Columns" empty.
    // Returns what the read gave.
    ReaderStatus ChooseSheet(int position);
    // The sheet whose columns are listed (1-based); 0 before the first choice.
    int ShownSheet() const { return m_shownSheet; }

    const QList<Column>& Columns() const { return m_columns; }
    void SetChecked(int index, bool checked);
    // "Select All" checked or unchecked.
    void SetAllChecked(bool checked);
    // Whether "Select All" shows checked: there are columns and every one is checked.
    bool AllChecked() const;

    // "OK": refuses with "There is no column.\n\nOR\n\nNo column is selected." when no column is listed and
    // "No column is selected." when none is checked (the picker stays open: false). Otherwise true, and
    // Result() holds the choice.
    bool Accept();
    // The sheet number (1 when no sheet was chosen) and every listed column in order with its check state.
    Choice Result() const;

private:
    QString m_path;
    QStringList m_sheets;
    Prompter& m_prompter;
    ReaderLimits m_limits;
    int m_shownSheet = 0;
    QList<Column> m_columns;
};
