#pragma once

#include <QDialog>

#include <memory>
#include <vector>

class CPlease_Wail_Modeless;
class ComposerEdit;
class ListEditController;
class QLabel;
class QPushButton;
class QTableView;
class SelectedNumbersModel;

// "Update Selected Messages": the numbers of the main list's selected rows (filled on a pool thread behind
// the please-wait box when the window opens), a message box of at most 1600 characters with its counter, and
// "Apply to Selected\nNumbers", which asks and then writes the message into those rows on a pool thread and
// closes the window with OK.
class CUpdate_Selected_Item_SMS final : public QDialog {
    Q_OBJECT
public:
    // selectedRows: the main list's selection, ascending.
    CUpdate_Selected_Item_SMS(const ListEditController& controller, std::vector<qsizetype> selectedRows,
                              QWidget* parent = nullptr);

    QTableView* NumbersView() const { return m_view; }
    SelectedNumbersModel* NumbersModel() const { return m_model; }
    QLabel* TotalLabel() const { return m_total; }
    ComposerEdit* MessageField() const { return m_message; }
    QLabel* CounterLabel() const { return m_counter; }
    QPushButton* ApplyButton() const { return m_apply; }
    // True while the numbers are read or the rows written.
    bool IsBusy() const { return m_busy; }

public Q_SLOTS:
    void OnApply();
    void reject() override; // not while a worker runs

private:
    void BeginWork();
    void EndWork();

    const ListEditController& m_controller;
    std::shared_ptr<const std::vector<qsizetype>> m_rows;
    bool m_busy = false;
    SelectedNumbersModel* m_model;
    QTableView* m_view;
    QLabel* m_total;
    ComposerEdit* m_message;
    QLabel* m_counter;
    QPushButton* m_apply;
    CPlease_Wail_Modeless* m_pleaseWait;
};
