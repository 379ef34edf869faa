#pragma once

#include <QObject>

class CVRIX_Bulk_SMSDlg;
class ListWork;

// The main window's four list editing commands: each opens its window (window-modal) over the session's
// ListEditController and takes the result when it closes.
class ListEditWindows final : public QObject {
public:
    ListEditWindows(CVRIX_Bulk_SMSDlg& main, ListWork& work);

    // "Add or Paste numbers Manually": the numbers inserted on a list worker after OK.
    void OnManualAdd();
    // "Apply this message to list items".
    void OnApplyMessage();
    // "Update Selected Messages".
    void OnUpdateSelected();
    // Double-click or Enter on a row (not while a send runs).
    void OnUpdateRow();

private:
    CVRIX_Bulk_SMSDlg& m_main;
    ListWork& m_work;
};
