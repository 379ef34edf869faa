#pragma once

#include <QDialog>

class ListEditController;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// "Add or Paste numbers Manually": a multi-line box for typed or pasted numbers (line breaks and tabs
// separate them; Tab inserts a tab) with "Total Rows : %d" following the box's line count. OK refuses an
// empty box; otherwise the window closes with the text, and the main window inserts the numbers on a list
// worker (ListEditController::AddManualNumbers).
class CManually_Multiple_Num_Add final : public QDialog {
    Q_OBJECT
public:
    explicit CManually_Multiple_Num_Add(const ListEditController& controller, QWidget* parent = nullptr);

    QString Text() const;
    QPlainTextEdit* TextBox() const { return m_text; }
    QLabel* TotalRowsLabel() const { return m_totalRows; }
    QPushButton* OkButton() const { return m_ok; }

public Q_SLOTS:
    void accept() override;

private:
    void RefreshTotalRows();

    const ListEditController& m_controller;
    QPlainTextEdit* m_text;
    QLabel* m_totalRows;
    QPushButton* m_ok;
};
