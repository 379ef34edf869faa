#include "records/gui/CExport_Option.h"

#include "records/SentItemsController.h"
#include "ui/DialogButtons.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QFrame>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QDateEdit* DateEdit(const QDate& date, const QString& name) {
    auto* edit = new QDateEdit(date);
    edit->setObjectName(name);
    edit->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    edit->setCalendarPopup(true);
    return edit;
}

} // namespace

CExport_Option::CExport_Option(SentItemsController& controller, const QDate& from, const QDate& to, QWidget* parent)
    : QDialog(parent), m_controller(controller), m_from(DateEdit(from, QStringLiteral("StartDate"))),
      m_to(DateEdit(to, QStringLiteral("EndDate"))),
      m_text(new QRadioButton(QStringLiteral("Export into Text File (*.txt)"))),
      m_html(new QRadioButton(QStringLiteral("Export into Html File (*.html)"))),
      m_xls(new QRadioButton(QStringLiteral("Export into Excel (97-2003) File (*.xls)"))),
      m_xlsx(new QRadioButton(QStringLiteral("Export into Excel File (*.xlsx)"))),
      m_ok(new QPushButton(QStringLiteral("OK"))) {
    setObjectName(QStringLiteral("CExport_Option"));
    setWindowTitle(QStringLiteral("Export"));
    auto* layout = new QVBoxLayout(this);
    auto* dates = new QFormLayout;
    dates->addRow(QStringLiteral("Start Date :"), m_from);
    dates->addRow(QStringLiteral("End Date :"), m_to);
    layout->addLayout(dates);
    auto* rule = new QFrame;
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    layout->addWidget(rule);
    m_text->setChecked(true);
    for (QRadioButton* option : {m_text, m_html, m_xls, m_xlsx})
        layout->addWidget(option);
    layout->addSpacing(6);
    layout->addLayout(DefaultAndCancelRow(this, m_ok));
    connect(m_ok, &QPushButton::clicked, this, &CExport_Option::accept);
}

QDate CExport_Option::From() const {
    return m_from->date();
}
QDate CExport_Option::To() const {
    return m_to->date();
}

ExportFormat CExport_Option::Format() const {
    if (m_html->isChecked())
        return ExportFormat::Html;
    if (m_xls->isChecked())
        return ExportFormat::Xls;
    if (m_xlsx->isChecked())
        return ExportFormat::Xlsx;
    return ExportFormat::Text;
}

QRadioButton* CExport_Option::FormatOption(ExportFormat format) const {
    switch (format) {
    case ExportFormat::Html:
        return m_html;
    case ExportFormat::Xls:
        return m_xls;
    case ExportFormat::Xlsx:
        return m_xlsx;
    case ExportFormat::Text:
        break;
    }
    return m_text;
}

void CExport_Option::accept() {
    if (m_controller.CheckDuration(From(), To()))
        QDialog::accept();
}
