#include "composer/gui/CUpdate_Num_Message.h"

#include "ui/ComposerEdit.h"
#include "ui/DialogButtons.h"
#include "ui/NumberEdit.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CUpdate_Num_Message::CUpdate_Num_Message(const ListEditController& controller, ListEditController::RowEdit edit,
                                         NumberCheckOptions options, QWidget* parent)
    : QDialog(parent), m_controller(controller), m_edit(std::move(edit)), m_options(options), m_number(new NumberEdit),
      m_message(new ComposerEdit), m_counter(new QLabel), m_update(new QPushButton(ListEditController::kUpdateButton)) {
    setObjectName(QStringLiteral("CUpdate_Num_Message"));
    setWindowTitle(ListEditController::kUpdateRowTitle);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(ListEditController::kNumberCaption), 0, 0);
    m_number->setObjectName(QStringLiteral("NumberField"));
    m_number->setText(m_edit.number);
    grid->addWidget(m_number, 0, 1);
    grid->addWidget(new QLabel(ListEditController::kMessageCaption), 1, 0, Qt::AlignTop);
    m_message->setObjectName(QStringLiteral("MessageBox"));
    m_message->setPlainText(ListEditController::BoxText(m_edit.message));
    m_message->setMinimumSize(360, 140);
    grid->addWidget(m_message, 1, 1);
    m_counter->setObjectName(QStringLiteral("Counter"));
    grid->addWidget(m_counter, 2, 1);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    // Enter in the number field updates; Enter in the message box is a line break.
    layout->addLayout(DefaultAndCancelRow(this, m_update));

    const auto count = [this] { m_counter->setText(ListEditController::CharactersText(m_message->toPlainText())); };
    count();
    connect(m_message, &QPlainTextEdit::textChanged, this, count);
    connect(m_update, &QPushButton::clicked, this, &CUpdate_Num_Message::accept);
    m_number->setFocus();
}

QString CUpdate_Num_Message::Message() const {
    return m_message->toPlainText();
}

void CUpdate_Num_Message::accept() {
    const NumberCheckResult result = m_controller.CheckEditedNumber(m_edit.row, m_number->text(), m_options);
    if (!result.Ok()) {
        m_number->setFocus();
        return;
    }
    m_checkedNumber = result.number;
    QDialog::accept();
}
