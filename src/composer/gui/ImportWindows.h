#pragma once

#include <QObject>
#include <QString>

#include <memory>

class CVRIX_Bulk_SMSDlg;
class FileOpener;
class ListWork;
class Prompter;

// The main window's two wizards: "Send unique or personalized SMS to every Contact using Excel" opens the
// Excel import wizard after the list-fill steps, over the session's Recipient list and number check; "Exclusion
// List Wizard" opens the exclusion list wizard over the session's exclusion store and, when it has stored a
// change while "Use Exclusion Rules" is on, rebuilds the session's Exclusion set on a list worker. Both are
// window-modal and do nothing while a list worker runs.
class ImportWindows final : public QObject {
public:
    ImportWindows(CVRIX_Bulk_SMSDlg& main, ListWork& work, Prompter& prompter);
    ~ImportWindows() override;

    // The main window's buttons of the two.
    static inline const QString kExcel = QStringLiteral("Send unique or personalized SMS to every Contact using Excel");
    static inline const QString kExclusion = QStringLiteral("Exclusion List Wizard");

    void OnExcelWizard();
    void OnExclusion();

private:
    CVRIX_Bulk_SMSDlg& m_main;
    ListWork& m_work;
    Prompter& m_prompter;
    std::unique_ptr<FileOpener> m_opener;
};
