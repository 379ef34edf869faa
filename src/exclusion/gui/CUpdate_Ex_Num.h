#pragma once

#include <QDialog>

class ExclusionWizardController;
class NumberEdit;
class QPushButton;

// "Update Exclusion Number": edits one number of the exclusion list wizard's numbers page. "Update" hands the
// text to the controller, which takes an unchanged number as is and otherwise applies the number rules; a
// refusal keeps the window open with the focus in the number.
class CUpdate_Ex_Num final : public QDialog {
    Q_OBJECT
public:
    CUpdate_Ex_Num(ExclusionWizardController& controller, qsizetype row, const QString& number,
                   QWidget* parent = nullptr);

    qsizetype Row() const { return m_row; }
    NumberEdit* NumberField() const { return m_number; }
    QPushButton* UpdateButton() const { return m_update; }

public Q_SLOTS:
    void accept() override;

private:
    ExclusionWizardController& m_controller;
    qsizetype m_row;
    NumberEdit* m_number;
    QPushButton* m_update;
};
