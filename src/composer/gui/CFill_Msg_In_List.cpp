#include "composer/gui/CFill_Msg_In_List.h"

#include "ui/CPlease_Wail_Modeless.h"
#include "ui/DialogButtons.h"
#include "ui/UiTask.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <memory>

CFill_Msg_In_List::CFill_Msg_In_List(const ListEditController& controller, QString composerText,
                                     std::vector<qsizetype> selectedRows, QWidget* parent)
    : QDialog(parent), m_controller(controller), m_composerText(std::move(composerText)),
      m_selectedRows(std::move(selectedRows)), m_all(new QRadioButton(ListEditController::kFillAllChoice)),
      m_selected(new QRadioButton(ListEditController::kFillSelectedChoice)),
      m_blank(new QRadioButton(ListEditController::kFillBlankChoice)), m_ok(new QPushButton(QStringLiteral("OK"))),
      m_pleaseWait(new CPlease_Wail_Modeless(this)) {
    setObjectName(QStringLiteral("CFill_Msg_In_List"));
    setWindowTitle(ListEditController::kFillTitle);
    auto* layout = new QVBoxLayout(this);
    m_all->setChecked(true);
    for (QRadioButton* choice : {m_all, m_selected, m_blank})
        layout->addWidget(choice);
    layout->addSpacing(8);
    layout->addLayout(DefaultAndCancelRow(this, m_ok));
    connect(m_ok, &QPushButton::clicked, this, &CFill_Msg_In_List::accept);
    m_all->setFocus();
}

ListEditController::FillScope CFill_Msg_In_List::Scope() const {
    if (m_selected->isChecked())
        return ListEditController::FillScope::SelectedRows;
    if (m_blank->isChecked())
        return ListEditController::FillScope::BlankRows;
    return ListEditController::FillScope::AllRows;
}

void CFill_Msg_In_List::accept() {
    if (m_busy)
        return;
    const ListEditController::FillScope scope = Scope();
    if (!m_controller.ConfirmFill(scope, static_cast<qsizetype>(m_selectedRows.size())))
        return;
    m_busy = true;
    m_pleaseWait->SetText(CPlease_Wail_Modeless::kDefaultText);
    m_pleaseWait->show();
    setEnabled(false);
    m_pleaseWait->setEnabled(true);
    // The worker keeps its own copies: the window may be gone before it ends; the controller and its list
    // belong to the main window.
    const ListEditController* controller = &m_controller;
    auto rows = std::make_shared<const std::vector<qsizetype>>(m_selectedRows);
    const QString text = m_composerText;
    UiTask::Run(
        this, [controller, scope, text, rows] { controller->FillMessage(scope, text, *rows); },
        [this] {
            m_pleaseWait->hide();
            setEnabled(true);
            m_busy = false;
            QDialog::accept();
        });
}

void CFill_Msg_In_List::reject() {
    if (!m_busy)
        QDialog::reject();
}
