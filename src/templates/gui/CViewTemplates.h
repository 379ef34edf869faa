#pragma once

#include "records/ExportResult.h"
#include "templates/TemplateWorkbookImport.h"
#include "templates/TemplatesController.h"
#include "ui/FileChooser.h"

#include <QDialog>
#include <QPointer>

#include <optional>

class CUpdateTemp;
class DataPaths;
class FileOpener;
class ListWork;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class TemplatesTableModel;

// "Templates": the stored templates, a view over TemplatesController. The store is read on a pool thread when
// the window is first shown; the import and the export run there too, behind the please-wait box (ListWork),
// the window disabled and its commands ignored meanwhile. Add New and Update open CUpdateTemp; Delete in the
// list clears the selected rows, a double-click updates one; Ctrl+A selects every row. "Use Template" puts the
// chosen template into the main window's composer box. Every change is written to the store as it is then (the
// controller), and the list is shown anew from the result.
class CViewTemplates final : public QDialog {
    Q_OBJECT
public:
    // composer: the main window's composer box, which "Use Template" fills.
    CViewTemplates(const DataPaths& paths, Prompter& prompter, FileOpener& opener, QPlainTextEdit* composer,
                   QWidget* parent = nullptr);
    ~CViewTemplates() override;

    // How the import and the export ask for their files (the desktop's dialogs unless a test answers).
    void SetFileChooser(FileChooser chooser) { m_chooser = std::move(chooser); }

    TemplatesController& Controller() { return m_controller; }
    bool IsBusy() const;
    bool IsLoaded() const { return m_loaded; }

    // Controls, for tests and the screenshot tool.
    QTableView* List() const { return m_list; }
    QLabel* TotalLabel() const { return m_total; }
    QPushButton* Button(const QString& caption) const;
    // The template dialog while it is open (else null).
    CUpdateTemp* TemplateDialog() const;

public Q_SLOTS:
    void OnAddNew();
    void OnUpdate();
    void OnClearSelected();
    void OnClearAll();
    void OnUseTemplate();
    void OnImport();
    // The import once its file is chosen: the file checked, its sheets read, the picker, then the columns read.
    void ImportFrom(const QString& path);
    void OnExport();
    void ExportTo(const QString& path, ExportFormat format);
    // Close, Esc or the title bar: the window closed (every change is in the store already).
    void OnClose();
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Load();
    void ShowRows(int selectRow);
    void RefreshCount();

    FileOpener& m_opener;
    Prompter& m_prompter;
    TemplatesController m_controller;
    TemplateWorkbookImport m_import;
    QPlainTextEdit* m_composer;
    FileChooser m_chooser = FileChooser::Dialogs();
    bool m_loaded = false;
    std::optional<qsizetype> m_importBase; // the row count before the running import

    TemplatesTableModel* m_model;
    QTableView* m_list;
    QLabel* m_total;
    ListWork* m_work;
    QPointer<CUpdateTemp> m_dialog;
};
