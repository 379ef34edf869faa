#pragma once

#include "composer/ExcelMessageImport.h"

#include <QString>

#include <mutex>

// What the Excel-reading progress window shows, handed from the importing thread to the window: the import
// reports every row here, the window reads the latest state on its own timer, so a 50,000-row import costs
// the window a few dozen repaints rather than one per row.
class ExcelImportProgress final : public ExcelMessageImport::Observer {
public:
    struct State {
        bool started = false; // the total is known and the progress window replaces the please-wait box
        int total = 0;
        int current = 0; // records read so far
        QString number;  // of the last record: cleaned when taken, as read otherwise
        QString message; // ExcelMessageImport::Preview of the last record's message
        int taken = 0;   // records added to the Recipient list so far

        QString TotalText() const { return ExcelMessageImport::TotalText(total); }
        QString CurrentText() const { return ExcelMessageImport::CurrentText(current, total); }
    };

    // Back to the state before an import.
    void Reset();
    State Snapshot() const;

    void Started(int total) override;
    void RowRead(int row, int total, const QString& number, const QString& messagePreview, bool taken) override;

private:
    mutable std::mutex m_mutex;
    State m_state;
};
