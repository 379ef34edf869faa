#pragma once

#include "excel_import/ExcelInfoController.h"
#include "excel_import/ReaderLimits.h"

#include <QDialog>

#include <memory>

class CPlease_Wail_Modeless;
class Prompter;
class QCheckBox;
class QComboBox;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// "Select Excel Sheet To Open": the sheet and column picker of the workbook imports, a view over
// ExcelInfoController. "Sheets" lists the names the caller read (WorkbookReader::ReadSheetNames); choosing one
// reads that sheet's column names on a pool thread while the please-wait box shows the controller's reading
// text and the picker's controls are disabled, then lists them unchecked in "Columns". "Select All" checks or unchecks
// every column. OK either refuses with the controller's message (the picker stays open, the focus on the field
// at fault) or closes with the choice; Cancel ends the caller's import.
//
// Callers open it window-modal (open()) and take Chosen() when it finishes with Accepted. Notices and reader
// failures go through the Prompter, from the reading thread too.
class CExcel_Info_Dlg final : public QDialog {
    Q_OBJECT
public:
    CExcel_Info_Dlg(const QString& path, const QStringList& sheetNames, Prompter& prompter,
                    const ReaderLimits& limits = ReaderLimits(), QWidget* parent = nullptr);
    ~CExcel_Info_Dlg() override;

    // The sheet number and every listed column with its check mark; meaningful once OK was accepted.
    const ExcelInfoController::Choice& Chosen() const { return m_chosen; }
    // A chosen sheet is being read.
    bool IsReading() const { return m_reading; }

    // Controls, for tests and the screenshot tool.
    QComboBox* SheetCombo() const { return m_sheets; }
    QListWidget* ColumnList() const { return m_columns; }
    QCheckBox* SelectAllCheck() const { return m_selectAll; }
    QPushButton* OkButton() const { return m_ok; }

public Q_SLOTS:
    void accept() override;
    // Refused while a sheet is being read: the read owns the controller's columns until it ends.
    void reject() override;

private:
    void OnSheetChosen(int position);
    void OnReadDone();
    void SetControlsEnabled(bool enabled);
    void FillColumns();
    void OnColumnChanged(QListWidgetItem* item);
    void OnSelectAll(bool checked);
    void RefreshSelectAll();

    // Shared with the reading thread, which may still hold it if the window goes first.
    std::shared_ptr<ExcelInfoController> m_controller;
    ExcelInfoController::Choice m_chosen;
    bool m_reading = false;

    QComboBox* m_sheets;
    QListWidget* m_columns;
    QCheckBox* m_selectAll;
    QPushButton* m_ok;
    QPushButton* m_cancel = nullptr;
    CPlease_Wail_Modeless* m_pleaseWait;
};
