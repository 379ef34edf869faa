#pragma once

#include "excel_import/ReaderLimits.h"
#include "excel_import/ReaderStatus.h"

#include <QString>

class RecipientList;
struct NumberCheckOptions;

// The "Number and message import" of the Excel import wizard: one column of a sheet holds numbers, another
// the message for each. Rows 1 to min(row count, 50,000) of the used range are read (row 1 too: a header
// fails the number check); each number goes through the number check silently, and a row whose number passes
// is inserted with its message at the next position from the top (0, 1, 2 ...), ahead of the rows already
// there. Runs on the wizard's worker thread; the progress window follows through the observer.
class ExcelMessageImport {
public:
    static constexpr int kMaxImportRows = 50000;  // MAX_IMPORT_ROWS
    static constexpr int kMaxImportColumns = 10;  // MAX_IMPORT_COLUMNS: columns offered for selection
    static constexpr int kMaxMessageChars = 1600; // MAX_MESSAGE_CHARS
    static constexpr int kPreviewChars = 160;     // of a message shown in the progress window

    // What the progress window shows, called on the importing thread.
    class Observer {
    public:
        virtual ~Observer() = default;
        // Before the first row: the total (TotalText) and the bar's range 0..total.
        virtual void Started(int total) = 0;
        // After each row: CurrentText(row, total), the number (cleaned when taken, as read otherwise) and
        // Preview(message).
        virtual void RowRead(int row, int total, const QString& number, const QString& messagePreview, bool taken) = 0;
    };

    struct Outcome {
        int added = 0;
        ReaderStatus status; // a reader failure: shown with ReaderStatus::Report after the progress closes
        QString refusal;     // kNothingAdded when the read succeeded and no row was taken
    };

    static inline const QString kReadingTitle = QStringLiteral("Reading Excel Sheet");
    static inline const QString kWaitText = QStringLiteral("It may take a while, Please wait...");

    static QString TotalText(int total) { return QStringLiteral("Total Records : %1").arg(total); }
    static QString CurrentText(int row, int total) {
        return QStringLiteral("Currently Reading : %1 / %2 Records").arg(row).arg(total);
    }
    // The message as is up to 160 characters, else its first 160 and "...".
    static QString Preview(const QString& message);
    // The message cut to its first 1600 characters (one fewer when the 1600th starts a surrogate pair, so no
    // half character is stored).
    static QString Stored(const QString& message);

    // Sheet, number and message columns are 1-based (picker position + 1). Rows taken before a reader failure
    // stay in the list.
    static Outcome Import(const QString& path, int sheet, int numberColumn, int messageColumn, RecipientList& list,
                          const NumberCheckOptions& options, Observer* observer = nullptr,
                          const ReaderLimits& limits = ReaderLimits());
};
