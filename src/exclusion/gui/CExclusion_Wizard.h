#pragma once

#include "exclusion/ExclusionWizardController.h"

#include <QDialog>

#include <memory>
#include <vector>

class ExclusionStore;
class FileOpener;
class ListWork;
class NumberEdit;
class Prompter;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QTableView;
class StringColumnModel;

// "Exclusion List Wizard": a view over ExclusionWizardController in three pages (the available and applied
// lists, the name of a new list, the numbers of one list). The numbers are a model/view table over the
// controller's list, so a list of a million numbers opens and scrolls at once; reading, saving, importing,
// exporting and removing numbers run on pool threads behind the please-wait box. Keys: Delete removes in the
// list with the focus, a double click updates, Enter in a text field runs its button, Ctrl+A selects all.
// Closing (Close, Esc, the close box) asks about unsaved numbers and applied lists first.
class CExclusion_Wizard final : public QDialog {
    Q_OBJECT
public:
    CExclusion_Wizard(ExclusionStore& store, Prompter& prompter, FileOpener& opener, QWidget* parent = nullptr,
                      const ReaderLimits& limits = ReaderLimits());
    ~CExclusion_Wizard() override;

    ExclusionWizardController& Controller() { return *m_controller; }
    bool IsBusy() const { return m_controller->IsBusy(); }
    // A list was saved, lists deleted or the applied lists saved: the Exclusion set is to be rebuilt.
    bool StoredChanged() const { return m_controller->StoredChanged(); }

    // The file dialogs' answers (tests call these directly): "..." with the chosen path, "Export Number" with
    // the chosen path and filter (0 .xls, 1 .xlsx, 2 .txt).
    void ChooseFile(const QString& path);
    void ExportTo(const QString& path, int filterIndex);

    // Controls, for tests and the screenshot tool.
    QTableView* AvailableView() const { return m_availableView; }
    QTableView* AppliedView() const { return m_appliedView; }
    QTableView* NumbersView() const { return m_numbersView; }
    QLineEdit* NameField() const { return m_name; }
    NumberEdit* NumberField() const { return m_number; }
    QLineEdit* PathField() const { return m_path; }
    QLineEdit* RenameField() const { return m_rename; }
    QLabel* CountLabel() const { return m_count; }
    QLabel* CurrentListLabel() const { return m_currentList; }
    // The button with this caption on the page shown.
    QPushButton* Button(const QString& caption) const;

public Q_SLOTS:
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* BuildListsPage();
    QWidget* BuildNamePage();
    QWidget* BuildNumbersPage();
    QPushButton* AddButton(QWidget* page, const QString& caption, void (CExclusion_Wizard::*slot)());
    QTableView* ListView(StringColumnModel* model);
    void Refresh();
    void RefreshCount();
    void Focus(ExclusionWizardController::Field field);
    void CloseIfDone();
    void PickColumns(const QString& path, const QStringList& sheets,
                     std::function<void(ExclusionWizardController::ColumnChoice)> chosen);

    void OnAdd();
    void OnAddAll();
    void OnRemove();
    void OnRemoveAll();
    void OnSaveApplied();
    void OnAddNew();
    void OnUpdate();
    void OnDelete();
    void OnClose();
    void OnNameNext();
    void OnNameBack();
    void OnAddNumber();
    void OnUpdateNumber();
    void OnRemoveNumber();
    void OnBrowse();
    void OnLoad();
    void OnExport();
    void OnSaveNumbers();
    void OnUpdateName();
    void OnNumbersBack();

    Prompter& m_prompter;
    FileOpener& m_opener;
    ListWork* m_work;
    std::unique_ptr<ExclusionWizardController> m_controller;
    StringColumnModel* m_availableModel;
    StringColumnModel* m_appliedModel;
    StringColumnModel* m_numbersModel;
    quint64 m_shownRevision = ~quint64(0);
    ExclusionWizardController::Page m_shownPage = ExclusionWizardController::Page::Lists;

    QStackedWidget* m_pages = nullptr;
    QTableView* m_availableView = nullptr;
    QTableView* m_appliedView = nullptr;
    QTableView* m_numbersView = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_numbersName = nullptr;
    QLabel* m_currentList = nullptr;
    NumberEdit* m_number = nullptr;
    QLabel* m_count = nullptr;
    QLineEdit* m_path = nullptr;
    QLineEdit* m_rename = nullptr;
};
