#pragma once

#include "composer/ExcelWizardController.h"
#include "excel_import/ReaderLimits.h"

#include <QDialog>
#include <QStringList>

#include <functional>
#include <memory>

class CLoad_Xl_SMS_Modeless;
class ListWork;
class Prompter;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTableWidget;
class QWidget;
class RecipientList;
struct NumberCheckOptions;

// The "Dynamic Message Import Wizard": a view over ExcelWizardController in three pages (the mode, the file
// with its sheet and columns, and in the dynamic mode the template with the column table and a live preview of
// the first personalised messages). Reading the workbook runs on a pool thread behind the please-wait box,
// the import behind the Excel-reading progress window CLoad_Xl_SMS_Modeless; meanwhile the wizard is disabled
// and Esc does nothing. A finished import closes the wizard with Accepted; Close or Esc otherwise close it
// with Rejected.
class CDynamic_Excel_Msg final : public QDialog {
    Q_OBJECT
public:
    explicit CDynamic_Excel_Msg(Prompter& prompter, QWidget* parent = nullptr,
                                const ReaderLimits& limits = ReaderLimits());
    ~CDynamic_Excel_Msg() override;

    // Where the rows go, and the number check's options (read at the start of the import and by the preview).
    void SetTarget(RecipientList* list, std::function<NumberCheckOptions()> options);

    ExcelWizardController& Controller() { return *m_controller; }
    bool IsBusy() const { return m_controller->IsBusy(); }
    // "Browse" once the file dialog gave a path (tests and the dialog's answer alike).
    void BrowseTo(const QString& path);

    // Controls, for tests and the screenshot tool.
    QRadioButton* NumberMessageRadio() const { return m_numberMessageRadio; }
    QRadioButton* DynamicRadio() const { return m_dynamicRadio; }
    QPushButton* ActionButton() const { return m_action; }
    QPushButton* BackButton() const { return m_back; }
    QLineEdit* PathField() const { return m_path; }
    QPushButton* BrowseButton() const { return m_browse; }
    QComboBox* SheetCombo() const { return m_sheets; }
    QComboBox* NumberCombo() const { return m_numberColumn; }
    QComboBox* MessageCombo() const { return m_messageColumn; }
    QListWidget* ColumnList() const { return m_columnList; }
    QCheckBox* SelectAllCheck() const { return m_selectAll; }
    QTableWidget* ColumnTable() const { return m_columnTable; }
    QPushButton* UseColumnButton() const { return m_useColumn; }
    QPlainTextEdit* TemplateField() const { return m_template; }
    QTableWidget* PreviewTable() const { return m_preview; }
    CLoad_Xl_SMS_Modeless* ProgressWindow() const { return m_progress; }

public Q_SLOTS:
    void reject() override;

private:
    QWidget* BuildModePage();
    QWidget* BuildFilePage();
    QWidget* BuildTemplatePage();
    QPushButton* ExampleButton();
    void Run(const QString& waitText, std::function<void()> job, std::function<void()> done);
    // Every control brought to the controller's state.
    void Refresh();
    void RefreshPickers();
    void RefreshPreview();
    void OnAction();
    void OnBack();
    void OnBrowse();
    void OnColumnChecked(QListWidgetItem* item);
    void OnUseColumn();
    void Focus(ExcelWizardController::Field field);

    std::unique_ptr<ExcelWizardController> m_controller;
    ListWork* m_work;
    CLoad_Xl_SMS_Modeless* m_progress = nullptr;
    // What the pickers were last filled with, so a refresh refills them only when the controller's lists
    // changed (refilling loses the user's place).
    QStringList m_shownSheets;
    QStringList m_shownColumns;
    int m_shownPage = 0;

    QStackedWidget* m_pages = nullptr;
    QRadioButton* m_numberMessageRadio = nullptr;
    QRadioButton* m_dynamicRadio = nullptr;
    QLabel* m_browseText = nullptr;
    QLineEdit* m_path = nullptr;
    QPushButton* m_browse = nullptr;
    QLabel* m_sheetLabel = nullptr;
    QComboBox* m_sheets = nullptr;
    QWidget* m_numberMessageColumns = nullptr;
    QLabel* m_numberLabel = nullptr;
    QComboBox* m_numberColumn = nullptr;
    QLabel* m_messageLabel = nullptr;
    QComboBox* m_messageColumn = nullptr;
    QWidget* m_dynamicColumns = nullptr;
    QLabel* m_checkListLabel = nullptr;
    QListWidget* m_columnList = nullptr;
    QCheckBox* m_selectAll = nullptr;
    QTableWidget* m_columnTable = nullptr;
    QPushButton* m_useColumn = nullptr;
    QPlainTextEdit* m_template = nullptr;
    QTableWidget* m_preview = nullptr;
    QPushButton* m_action = nullptr;
    QPushButton* m_back = nullptr;
};
