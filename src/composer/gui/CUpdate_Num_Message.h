#pragma once

#include "composer/ListEditController.h"

#include <QDialog>

class ComposerEdit;
class NumberEdit;
class QLabel;
class QPushButton;

// "Update": one row's number ("Number :", at most 20 characters, keys 0-9 and '+') and message ("Message :",
// at most 1600 characters, with its counter). "Update" runs the edited row's number check and closes with the
// cleaned number, or keeps the window open with the focus on the number field. The main window writes the
// row.
class CUpdate_Num_Message final : public QDialog {
    Q_OBJECT
public:
    CUpdate_Num_Message(const ListEditController& controller, ListEditController::RowEdit edit,
                        NumberCheckOptions options, QWidget* parent = nullptr);

    qsizetype Row() const { return m_edit.row; }
    // After OK: the cleaned number, and the message as the box holds it.
    QString Number() const { return m_checkedNumber; }
    QString Message() const;

    NumberEdit* NumberField() const { return m_number; }
    ComposerEdit* MessageField() const { return m_message; }
    QLabel* CounterLabel() const { return m_counter; }
    QPushButton* UpdateButton() const { return m_update; }

public Q_SLOTS:
    void accept() override;

private:
    const ListEditController& m_controller;
    ListEditController::RowEdit m_edit;
    NumberCheckOptions m_options;
    QString m_checkedNumber;
    NumberEdit* m_number;
    ComposerEdit* m_message;
    QLabel* m_counter;
    QPushButton* m_update;
};
