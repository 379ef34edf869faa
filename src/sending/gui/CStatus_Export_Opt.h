#pragma once

#include <QDialog>

class QRadioButton;

// "Export": which rows to export, as the filter code the exports read: "ALL" (default), "SUC" (successfully
// sent) or "FAL" (failed).
class CStatus_Export_Opt final : public QDialog {
    Q_OBJECT
public:
    explicit CStatus_Export_Opt(QWidget* parent = nullptr);
    QString Filter() const;

private:
    QRadioButton* m_all;
    QRadioButton* m_success;
    QRadioButton* m_failed;
};
