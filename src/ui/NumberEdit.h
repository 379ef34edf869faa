#pragma once

#include <QLineEdit>

// The "Enter Recipient Number" field: keystrokes other than 0-9 and '+' are refused, at most 20
// characters. Pasted text is taken as it is; the number check judges it when it is added.
class NumberEdit final : public QLineEdit {
    Q_OBJECT
public:
    static constexpr int kMaxLength = 20;
    explicit NumberEdit(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
