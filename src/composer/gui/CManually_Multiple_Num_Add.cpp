#include "composer/gui/CManually_Multiple_Num_Add.h"

#include "composer/ListEditController.h"
#include "ui/DialogButtons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

CManually_Multiple_Num_Add::CManually_Multiple_Num_Add(const ListEditController& controller, QWidget* parent)
    : QDialog(parent), m_controller(controller), m_text(new QPlainTextEdit), m_totalRows(new QLabel),
      m_ok(new QPushButton(QStringLiteral("OK"))) {
    setObjectName(QStringLiteral("CManually_Multiple_Num_Add"));
    setWindowTitle(ListEditController::kManualTitle);
    auto* layout = new QVBoxLayout(this);
    auto* hint = new QLabel(ListEditController::kManualHint);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    m_text->setObjectName(QStringLiteral("NumbersBox"));
    // Tab is a separator here: it goes into the text (replacing the selection) instead of moving the focus.
    m_text->setTabChangesFocus(false);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setMinimumSize(320, 260);
    layout->addWidget(m_text, 1);
    m_totalRows->setObjectName(QStringLiteral("TotalRows"));
    layout->addWidget(m_totalRows);
    layout->addLayout(DefaultAndCancelRow(this, m_ok));
    connect(m_ok, &QPushButton::clicked, this, &CManually_Multiple_Num_Add::accept);
    // The block count is kept by the document: following every change costs nothing on a long paste.
    connect(m_text, &QPlainTextEdit::blockCountChanged, this, &CManually_Multiple_Num_Add::RefreshTotalRows);
    RefreshTotalRows();
    m_text->setFocus();
}

QString CManually_Multiple_Num_Add::Text() const {
    return m_text->toPlainText();
}

void CManually_Multiple_Num_Add::RefreshTotalRows() {
    m_totalRows->setText(ListEditController::TotalRowsText(m_text->blockCount()));
}

void CManually_Multiple_Num_Add::accept() {
    if (!m_controller.AcceptManualText(Text())) {
        m_text->setFocus();
        return;
    }
    QDialog::accept();
}
