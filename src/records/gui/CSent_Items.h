#pragma once

#include "records/ExportResult.h"
#include "records/SentItemsController.h"
#include "records/SpreadsheetExport.h"
#include "ui/FileChooser.h"

#include <QDate>
#include <QDialog>

#include <functional>

class FileOpener;
class ListWork;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class SentItemsTableModel;
class Session;

// "Sent Items": the entries of the session's sent-items log, a view over SentItemsController. The log is read
// on a pool thread when the window is first shown; loading, deleting, copying to the Recipient list and
// exporting run behind the please-wait box (ListWork), the window disabled and its commands ignored meanwhile.
// Selecting an entry shows its details; Ctrl+A selects every entry.
//
// "Export" asks CStatus_Export_Opt (which entries) and CExport_Option (duration and kind), then the file name,
// writes on a pool thread and offers the file in COpen_Export_Log.
class CSent_Items final : public QDialog {
    Q_OBJECT
public:
    CSent_Items(Session& session, FileOpener& opener, QWidget* parent = nullptr);
    ~CSent_Items() override;

    // How the export asks for its file (the desktop's dialog unless a test answers).
    void SetFileChooser(FileChooser chooser) { m_chooser = std::move(chooser); }
    // Called after entries were copied into the Recipient list (the main window refreshes its view).
    void SetListChanged(std::function<void()> listChanged) { m_listChanged = std::move(listChanged); }

    SentItemsController& Controller() { return m_controller; }
    bool IsBusy() const;
    // Whether the log has been read since the window was shown.
    bool IsLoaded() const { return m_loaded; }

    // Controls, for tests and the screenshot tool.
    QTableView* List() const { return m_list; }
    QPlainTextEdit* Details() const { return m_details; }
    QLabel* TotalLabel() const { return m_total; }
    QLabel* SelectedLabel() const { return m_selected; }
    QPushButton* Button(const QString& caption) const;

public Q_SLOTS:
    void OnSendToComposer();
    void OnExport();
    // The export once its windows were answered: the file name asked for, then the entries written.
    void ExportWith(SpreadsheetExport::Filter filter, const QDate& from, const QDate& to, ExportFormat format);
    void ExportTo(SpreadsheetExport::Filter filter, const QDate& from, const QDate& to, ExportFormat format,
                  const QString& path);
    void OnClearAll();
    void OnClearSelected();
    void reject() override; // Esc and Close: not while work runs

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Load();
    // Runs a worker step over the log, then shows the list it left.
    void RunStep(std::function<SentItemsController::Change()> step);
    void ShowRecords();
    void OnCurrentChanged();
    void OnSelectionChanged();

    Session& m_session;
    FileOpener& m_opener;
    SentItemsController m_controller;
    FileChooser m_chooser = FileChooser::Dialogs();
    std::function<void()> m_listChanged;
    bool m_loaded = false;

    SentItemsTableModel* m_model;
    QTableView* m_list;
    QPlainTextEdit* m_details;
    QLabel* m_total;
    QLabel* m_selected;
    ListWork* m_work;
};
