#pragma once

#include "composer/ExcelImportProgress.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QProgressBar;
class QTimer;

// The Excel-reading progress window of the import wizard: "Reading Excel Sheet", "Total Records : %d", the
// bar from 0 to the total, "Currently Reading : n / total Records" and the last record's number and message.
// It reads the import's progress on its own timer while the import runs on a worker, and takes the place of
// the please-wait box once the total is known. Esc and the close box do nothing.
class CLoad_Xl_SMS_Modeless final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPollMs = 50;

    explicit CLoad_Xl_SMS_Modeless(const ExcelImportProgress& progress, QWidget* parent = nullptr);

    // Follows the progress until Stop(); `pleaseWait` is hidden when this window shows.
    void Start(QWidget* pleaseWait);
    void Stop();

    // What the window shows now (tests, screenshots).
    QString TotalText() const;
    QString CurrentText() const;
    QString NumberText() const;
    QString MessageText() const;
    int BarValue() const;
    // Reads the progress now rather than at the next tick.
    void Poll();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Show(const ExcelImportProgress::State& state);

    const ExcelImportProgress& m_progress;
    QPointer<QWidget> m_pleaseWait;
    QLabel* m_total;
    QLabel* m_current;
    QLabel* m_number;
    QLabel* m_message;
    QProgressBar* m_bar;
    QTimer* m_timer;
};
