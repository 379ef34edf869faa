#pragma once

#include "sending/QuotaController.h"

#include <QDialog>

class QLabel;
class QTableWidget;

// "Assign Quota": one row per selected device with its tick, quota type ("Auto" / "Manual", a drop-down in
// the cell) and assigned number (edited in place, digits only, Manual rows only), and the three numbers
// below, recomputed on every edit. A view over QuotaController; OK stores the settings through it.
class CQuota_Dlg final : public QDialog {
    Q_OBJECT
public:
    CQuota_Dlg(const QString& selectedDevicesText, QuotaState& quota, SendOptionsModel& options,
               qsizetype totalMessages, Prompter& prompter, QWidget* parent = nullptr);

    QuotaController& Controller() { return m_controller; }
    QTableWidget* Table() const { return m_table; }
    QString TotalText() const;
    QString AssignedText() const;
    QString AvailableText() const;

    // The cell edits as the user makes them (tests drive these too).
    void SetTypeAt(int row, const QString& type);
    void SetAssignAt(int row, const QString& text);

public Q_SLOTS:
    void accept() override;
    void OnReset();

private:
    void RefreshTable();
    void RefreshNumbers();

    QuotaController m_controller;
    QTableWidget* m_table;
    QLabel* m_total;
    QLabel* m_assigned;
    QLabel* m_available;
    bool m_refreshing = false;
};
