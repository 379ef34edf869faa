#pragma once

#include "composer/ListEditController.h"

#include <QDialog>

#include <vector>

class CPlease_Wail_Modeless;
class QPushButton;
class QRadioButton;

// "Apply message to list items": the composer text into all rows, the selected rows or the blank rows. OK
// asks the scope's question (or refuses and stays open); on Yes the rows are written on a pool thread while
// the window is disabled behind the please-wait box, then the window closes with OK.
class CFill_Msg_In_List final : public QDialog {
    Q_OBJECT
public:
    // selectedRows: the main list's selection, ascending.
    CFill_Msg_In_List(const ListEditController& controller, QString composerText, std::vector<qsizetype> selectedRows,
                      QWidget* parent = nullptr);

    ListEditController::FillScope Scope() const;
    QRadioButton* AllRowsOption() const { return m_all; }
    QRadioButton* SelectedRowsOption() const { return m_selected; }
    QRadioButton* BlankRowsOption() const { return m_blank; }
    QPushButton* OkButton() const { return m_ok; }
    bool IsBusy() const { return m_busy; }

public Q_SLOTS:
    void accept() override;
    void reject() override; // not while the rows are written

private:
    const ListEditController& m_controller;
    QString m_composerText;
    std::vector<qsizetype> m_selectedRows;
    bool m_busy = false;
    QRadioButton* m_all;
    QRadioButton* m_selected;
    QRadioButton* m_blank;
    QPushButton* m_ok;
    CPlease_Wail_Modeless* m_pleaseWait;
};
