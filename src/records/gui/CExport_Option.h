#pragma once

#include "records/ExportResult.h"

#include <QDate>
#include <QDialog>

class QDateEdit;
class QPushButton;
class QRadioButton;
class SentItemsController;

// "Export": the duration and the file kind of the sent items export. "Start Date :" and "End Date :" are
// shown as dd/MM/yyyy and start at the range the caller gives (the first and the last entry's dates); the
// kinds are text (chosen at first), HTML, Excel 97-2003 and Excel. OK refuses an end date before the start
// date through the controller and stays open.
class CExport_Option final : public QDialog {
    Q_OBJECT
public:
    CExport_Option(SentItemsController& controller, const QDate& from, const QDate& to, QWidget* parent = nullptr);

    QDate From() const;
    QDate To() const;
    ExportFormat Format() const;

    QDateEdit* StartDateEdit() const { return m_from; }
    QDateEdit* EndDateEdit() const { return m_to; }
    // The kind's choice, in the window's order: text, HTML, .xls, .xlsx.
    QRadioButton* FormatOption(ExportFormat format) const;
    QPushButton* OkButton() const { return m_ok; }

    void accept() override;

private:
    SentItemsController& m_controller;
    QDateEdit* m_from;
    QDateEdit* m_to;
    QRadioButton* m_text;
    QRadioButton* m_html;
    QRadioButton* m_xls;
    QRadioButton* m_xlsx;
    QPushButton* m_ok;
};
