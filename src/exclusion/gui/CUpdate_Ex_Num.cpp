#include "exclusion/gui/CUpdate_Ex_Num.h"

#include "exclusion/ExclusionWizardController.h"
#include "ui/DialogButtons.h"
#include "ui/NumberEdit.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

CUpdate_Ex_Num::CUpdate_Ex_Num(ExclusionWizardController& controller, qsizetype row, const QString& number,
                               QWidget* parent)
    : QDialog(parent), m_controller(controller), m_row(row), m_number(new NumberEdit),
      m_update(new QPushButton(QStringLiteral("Update"))) {
    setObjectName(QStringLiteral("CUpdate_Ex_Num"));
    setWindowTitle(ExclusionWizardController::kUpdateNumberTitle);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_number->setObjectName(QStringLiteral("Number"));
    m_number->setText(number);
    m_number->setMinimumWidth(220);
    form->addRow(ExclusionWizardController::kNumberLabel, m_number);
    layout->addLayout(form);
    layout->addLayout(DefaultAndCancelRow(this, m_update));
    connect(m_update, &QPushButton::clicked, this, &CUpdate_Ex_Num::accept);
    m_number->selectAll();
    m_number->setFocus();
}

void CUpdate_Ex_Num::accept() {
    if (!m_controller.ReplaceNumber(m_row, m_number->text())) {
        m_number->setFocus();
        m_number->selectAll();
        return;
    }
    QDialog::accept();
}
