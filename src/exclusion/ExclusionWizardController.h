#pragma once

#include "exclusion/ExclusionExport.h"
#include "exclusion/ExclusionNumberImport.h"
#include "exclusion/ExclusionNumberList.h"

#include "app/WorkRunner.h"
#include "excel_import/ExcelInfoController.h"
#include "excel_import/ReaderLimits.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class ExclusionStore;
class Prompter;

// The logic of the "Exclusion List Wizard" (CExclusion_Wizard) over the ExclusionStore: the lists page (the
// available lists, the applied ones under "Exclude when sending SMS", create, update, delete), the name page of
// a new list, and the numbers page of one list (add, edit, remove, import from text files and workbooks,
// export, rename, save). The window shows the state and forwards the user's actions; every check, notice and
// question is here, put through the Prompter.
//
// Reading and writing a list's numbers, imports, exports and removals are long work (a list may hold a million
// numbers) handed to the WorkRunner; while one runs every other action does nothing, and the window must not
// read Numbers() (it shows NumbersSnapshot(), taken between works). The controller is used on one thread.
//
// Stored changes (a list saved, lists deleted, the applied lists saved) set StoredChanged(): the caller then
// rebuilds its Exclusion set from the store.
class ExclusionWizardController {
public:
    enum class Page { Lists, Name, Numbers };
    // The field a refusal moves the focus to.
    enum class Field { None, Available, Applied, Name, Number, Numbers, Path, Rename };

    using ColumnChoice = std::optional<ExcelInfoController::Choice>;
    struct Hooks {
        WorkRunner run;
        // The sheet and column picker over a workbook's sheet names; `chosen` gets the choice, or nullopt when
        // the user cancelled. It may answer at once or later (a window-modal picker).
        std::function<void(const QString& path, const QStringList& sheets, std::function<void(ColumnChoice)> chosen)>
            pickColumns;
        // An export succeeded: the export-finished window is shown for the file.
        std::function<void(const QString& path, const QString& message)> exported;
    };

    ExclusionWizardController(ExclusionStore& store, Prompter& prompter, Hooks hooks,
                              const ReaderLimits& limits = ReaderLimits());

    // Makes sure the data files exist and reads the available and applied list names (a file error is shown).
    void Open();

    // ---- State for the window ----
    Page CurrentPage() const { return m_page; }
    bool IsBusy() const { return m_busy; }
    bool IsNewList() const { return m_newList; }
    const QStringList& Available() const { return m_available; }
    const QStringList& Applied() const { return m_applied; }
    bool AppliedChanged() const { return m_appliedChanged; }
    bool NumbersChanged() const { return m_numbersChanged; }
    bool StoredChanged() const { return m_storedChanged; }
    // The list on the numbers page (the pending name of a new one).
    const QString& CurrentName() const { return m_currentName; }
    // "Currently using exclusion list : " and the name.
    QString CurrentListText() const;
    // "Total Numbers : %d"; while an import runs, the count before it plus the numbers taken so far.
    QString CountText() const;
    // The numbers as they stand, for the view (shares the list's data); grows NumbersRevision() on every
    // change. Not while work runs.
    QStringList NumbersSnapshot() const { return m_numbers.Numbers(); }
    quint64 NumbersRevision() const { return m_revision; }
    // The window closes (Close() ended).
    bool IsClosed() const { return m_closed; }

    // ---- Lists page ("rows" are positions in the list they name) ----
    Field AddSelected(const QList<int>& rows);
    Field AddAll();
    Field RemoveSelected(const QList<int>& rows);
    Field RemoveAll();
    // "Save": the question, then the applied lists written.
    void SaveApplied();
    // "Add New": the name page, empty.
    void AddNew();
    // "Update" or a double click on an available list: that list's numbers are read and the numbers page
    // shows them.
    Field Update(const QList<int>& rows);
    // A double click on an applied list.
    Field UpdateApplied(int row);
    // "Delete" (and the Delete key): the question, then the lists' files and names removed.
    Field Delete(const QList<int>& rows);

    // ---- Name page ----
    // "Next >": the list-name rules, then the numbers page of a new, empty list.
    Field NameNext(const QString& name);
    // "< Back".
    void NameBack();

    // ---- Numbers page ----
    // "Add Number": the number rules; a passing number goes to the top. True when it was added (the window
    // empties the edit, which keeps the focus either way).
    bool AddNumber(const QString& text);
    // "Update Number" (and a double click): the row to edit, or nullopt after a refusal.
    std::optional<qsizetype> MayUpdateNumber(const std::vector<qsizetype>& rows);
    // "Update" of CUpdate_Ex_Num: an unchanged number is taken as is, another must pass the number rules (the
    // row itself is no duplicate). False after a refusal (the edit window stays open).
    bool ReplaceNumber(qsizetype row, const QString& text);
    // "Remove Number" (and the Delete key): the rows removed as long work.
    Field RemoveNumbers(std::vector<qsizetype> rows);
    // "...": after the file dialog; true when the path is to be shown.
    bool ChooseFile(const QString& path);
    // "Load": the file's numbers to the top of the list, as long work (a workbook's sheet and columns are
    // chosen with the picker in between).
    void Load(const QString& path);
    // "Export Number": false after a refusal (empty list); otherwise the window asks for the file ...
    bool MayExport();
    // ... and the numbers are written in the format of the filter chosen (0 .xls, 1 .xlsx, 2 .txt).
    void Export(const QString& path, int filterIndex);
    // "Save": the question, then the list written (a new list also joins the index) and the lists page.
    void Save();
    // "Update Name": the list-name rules and the question; a new list takes the name, a stored one is
    // renamed. True when the name changed (the window empties the rename edit).
    bool UpdateName(const QString& text);
    // "< Back": unsaved numbers are saved or kept after the question; then the name page of a new list or the
    // lists page.
    void NumbersBack();

    // ---- Closing ----
    // "Close" and the window's close box: unsaved numbers, then unsaved applied lists, each with its question;
    // then IsClosed(). The window stays open after a refusal or a failed save.
    void Close();

    // ---- Texts ----
    // Numbers freed away from the controller's thread when a list this long is left.
    static constexpr qsizetype kDisposeAway = 100000;

    static inline const QString kTitle = QStringLiteral("Exclusion List Wizard");
    static const QString kListsText;
    static inline const QString kNameText =
        QStringLiteral("\n\nGive a friendly name to your Exclusion list so that you can identify it easily.");
    static inline const QString kNameExampleCaption = QStringLiteral("For Example :");
    static inline const QString kNameExample =
        QStringLiteral("\u2018Sales Team members\u2019 or \u2018Students of Class \u2013 11\u2019");
    static inline const QString kAvailableHeader = QStringLiteral("Available Lists");
    static inline const QString kAppliedHeader = QStringLiteral("Exclude when sending SMS");
    static inline const QString kNumbersHeader = QStringLiteral("Exclusion Number");
    static inline const QString kNameLabel = QStringLiteral("Exclusion List Name : ");
    static inline const QString kNumberLabel = QStringLiteral("Enter Exclusion Number :");
    static inline const QString kRenameLabel = QStringLiteral("Update Exclusion List Name :");
    static inline const QString kCurrentListCaption = QStringLiteral("Currently using exclusion list : ");
    static inline const QString kWaitText = QStringLiteral("It may take a while, Please wait...");
    static inline const QString kUpdateNumberTitle = QStringLiteral("Update Exclusion Number");

    static inline const QString kAvailableEmpty = QStringLiteral("Available list is empty.");
    static inline const QString kNoAvailableSelected =
        QStringLiteral("Please select a record from the available list to continue.");
    static inline const QString kAlreadyInUse = QStringLiteral("Selected list is already in use.");
    static inline const QString kAllInUse = QStringLiteral("All available lists are already in use.");
    static inline const QString kAppliedEmpty = QStringLiteral("'Exclude when sending SMS' list is empty.");
    static inline const QString kNoAppliedSelected =
        QStringLiteral("Please select a record from 'Exclude when sending SMS' list to continue.");
    static inline const QString kOnlyOne = QStringLiteral("Please select only one record to update.");
    static inline const QString kContinueQuestion = QStringLiteral("Are you sure you want to continue?");
    static inline const QString kDeleteQuestion =
        QStringLiteral("Are you sure you want to delete the selected available list?");
    static inline const QString kNoNumberSelected =
        QStringLiteral("Please select one record from the exclusion number list to continue.");
    static inline const QString kNoNumbersSelected =
        QStringLiteral("Please select at least one record from the exclusion number list to continue.");
    static inline const QString kUnsavedNumbers =
        QStringLiteral("You have made changes in exclusion number list that have not been saved yet.\n\nDo you want "
                       "to save the Changes?");
    static inline const QString kUnsavedApplied =
        QStringLiteral("You have made changes in 'Exclude when sending SMS' list that have not been saved yet.\n\nDo "
                       "you want to save the Changes?");

private:
    Field Refuse(const QString& message, Field field);
    void OpenList(const QString& name);
    bool WriteApplied();
    // Writes the numbers (a new list: AppendList; a stored one: SaveList) as long work; on success the
    // numbers page is left for the lists page and `then` runs.
    void WriteNumbers(std::function<void()> then);
    void LeaveNumbers();
    // Lets go of the numbers (a long list as long work, so it is freed away from this thread), then `then`.
    void DisposeNumbers(std::function<void()> then);
    // The numbers changed (count > 0 marks them unsaved): the view's revision and count follow. Called on the
    // controller's thread only, so CountText never reads the list while work changes it.
    void NumbersChangedBy(qsizetype count);
    void Refreshed();
    void ImportDone(const ExclusionNumberImport::Outcome& outcome);
    void CloseApplied();

    ExclusionStore& m_store;
    Prompter& m_prompter;
    Hooks m_hooks;
    ExclusionNumberList m_numbers;
    ExclusionNumberImport m_import;

    Page m_page = Page::Lists;
    bool m_busy = false;
    bool m_importing = false;
    bool m_closed = false;
    bool m_newList = false;
    bool m_appliedChanged = false;
    bool m_numbersChanged = false;
    bool m_storedChanged = false;
    QStringList m_available;
    QStringList m_applied;
    QString m_currentName;
    qsizetype m_countBeforeImport = 0;
    qsizetype m_count = 0; // of m_numbers, as of the last change seen on the controller's thread
    quint64 m_revision = 0;
};
