#pragma once

#include "sending/QuotaSettings.h"

#include <QString>
#include <QStringList>

#include <vector>

class Prompter;
class QuotaState;
class SendOptionsModel;

// The logic of the quota window CQuota_Dlg ("Assign Quota"): one table row per selected device, taken over
// from the previous quota settings where the port had a line; the tick, type and assigned number edited in
// place; the three numbers; OK, which checks the assignment and then stores the quota settings text and
// turns quota management on; and "Reset". Questions and refusals go through the Prompter. The window's
// thread calls everything.
class QuotaController {
public:
    static inline const QString kTitle = QStringLiteral("Assign Quota");
    static const QString kNote;
    static inline const QString kTotalCaption = QStringLiteral("Total Messages :");
    static inline const QString kAssignedCaption = QStringLiteral("Quota Assigned :");
    static inline const QString kAvailableCaption = QStringLiteral("Available Quota :");
    static inline const QString kResetButton = QStringLiteral("Reset");
    static inline const QString kListEmpty = QStringLiteral("Phone numbers-Messages list is empty.");
    static inline const QString kSelectDevice = QStringLiteral("Please select a device.");
    static const QString kOverAssigned;
    static const QString kResetQuestion;
    // The characters the "Assign Quota" cell accepts.
    static inline const QString kAssignChars = QStringLiteral("0123456789");
    // Longest number the cell takes: nine digits, far above any list, and the sum of 32 of them fits.
    static constexpr int kAssignMaxLength = 9;

    struct Column {
        QString caption;
        int width; // 0: hidden
    };
    enum ColumnIndex { kPortColumn, kDetailsColumn, kTypeColumn, kAssignColumn, kLastColumn };
    static const std::vector<Column>& Columns();
    // The "Quota Type" drop-down: "Auto", "Manual".
    static const QStringList& TypeChoices();

    struct Row {
        QString port;
        QString details;
        QString type = QuotaSettings::kAuto;
        QString assign = QuotaSettings::kAuto; // digits for Manual rows, "Auto" for Auto rows
        QString last = QuotaSettings::kAuto;   // the hidden "Last" column: the type chosen last
        bool ticked = true;
        friend bool operator==(const Row&, const Row&) = default;
    };

    // The question when the ticked Manual quotas leave messages unassigned and no ticked device is on Auto.
    static QString UnderAssignedQuestion(qint64 total, qint64 assigned, qint64 available);

    // Opening the window from the main window: refused with kListEmpty while the Recipient list is empty.
    [[nodiscard]] static bool MayOpen(qsizetype totalMessages, Prompter& prompter);

    // The table from the selected-devices text (its "Com Port:" and "Com Port Details:" lines) and the quota
    // settings text in force.
    QuotaController(const QString& selectedDevicesText, QuotaState& quota, SendOptionsModel& options,
                    qsizetype totalMessages, Prompter& prompter);

    const std::vector<Row>& Rows() const { return m_rows; }
    int RowCount() const { return static_cast<int>(m_rows.size()); }
    // A row's cell texts in column order.
    QStringList RowValues(int row) const;

    qint64 TotalMessages() const { return m_total; }
    // Sum of "Assign Quota" over the ticked rows whose type is not "Auto".
    qint64 AssignedQuota() const;
    qint64 AvailableQuota() const { return m_total - AssignedQuota(); }

    // Editing in place; false (and nothing changed) for a row out of range or a refused value.
    bool SetTicked(int row, bool ticked);
    // "Auto" shows "Auto" as the assigned number; "Manual" keeps the row's number, or starts at "0".
    bool SetType(int row, const QString& type);
    static bool IsAssignChar(QChar c) { return kAssignChars.contains(c); }
    // Only Manual rows take a number.
    bool IsAssignEditable(int row) const;
    // The cell's text after an edit: digits only (an empty cell counts as 0), at most kAssignMaxLength.
    [[nodiscard]] bool SetAssign(int row, const QString& text);

    // OK: true when the window closes with OK; the quota settings text is then stored and quota management
    // turned on. False when the window stays (a refusal shown, or the question answered Cancel); nothing is
    // stored then.
    [[nodiscard]] bool Ok();
    // "Reset": after the question, every row goes back to Auto (ticks are kept). True when reset.
    bool Reset();

    // The quota settings text of the table as it is now.
    QString SettingsText() const;

    // The (port, details) pairs of a selected-devices text, in order.
    static std::vector<std::pair<QString, QString>> ParseSelectedDevices(const QString& text);
    static std::vector<Row> BuildRows(const QString& selectedDevicesText, const QString& previousSettings);

private:
    bool Valid(int row) const { return row >= 0 && row < RowCount(); }

    QuotaState& m_quota;
    SendOptionsModel& m_options;
    Prompter& m_prompter;
    qint64 m_total = 0;
    std::vector<Row> m_rows;
};
