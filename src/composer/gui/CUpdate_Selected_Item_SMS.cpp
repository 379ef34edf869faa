#include "composer/gui/CUpdate_Selected_Item_SMS.h"

#include "composer/ListEditController.h"
#include "composer/gui/SelectedNumbersModel.h"
#include "ui/CPlease_Wail_Modeless.h"
#include "ui/ComposerEdit.h"
#include "ui/UiTask.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

CUpdate_Selected_Item_SMS::CUpdate_Selected_Item_SMS(const ListEditController& controller,
                                                     std::vector<qsizetype> selectedRows, QWidget* parent)
    : QDialog(parent), m_controller(controller),
      m_rows(std::make_shared<const std::vector<qsizetype>>(std::move(selectedRows))),
      m_model(new SelectedNumbersModel(this)), m_view(new QTableView),
      m_total(new QLabel(ListEditController::TotalSelectedText(0))), m_message(new ComposerEdit),
      m_counter(new QLabel(ListEditController::CharactersText({}))),
      m_apply(new QPushButton(ListEditController::kApplyToSelected)), m_pleaseWait(new CPlease_Wail_Modeless(this)) {
    setObjectName(QStringLiteral("CUpdate_Selected_Item_SMS"));
    setWindowTitle(ListEditController::kUpdateSelectedTitle);

    auto* listBox = new QGroupBox(ListEditController::kSelectedListCaption);
    auto* listLayout = new QVBoxLayout(listBox);
    m_view->setObjectName(QStringLiteral("SelectedNumbers"));
    m_view->setModel(m_model);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setShowGrid(true);
    m_view->setWordWrap(false);
    m_view->verticalHeader()->setVisible(false);
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->setDefaultSectionSize(m_view->fontMetrics().height() + 6);
    // 200 pixels, then the column takes the width of the view.
    m_view->setColumnWidth(0, ListEditController::kSelectedColumnWidth);
    m_view->horizontalHeader()->setStretchLastSection(true);
    m_view->setMinimumWidth(ListEditController::kSelectedColumnWidth + 30);
    listLayout->addWidget(m_view, 1);
    m_total->setObjectName(QStringLiteral("TotalSelected"));
    listLayout->addWidget(m_total);

    auto* messageLayout = new QVBoxLayout;
    messageLayout->addWidget(new QLabel(ListEditController::kMessageCaption));
    m_message->setObjectName(QStringLiteral("MessageBox"));
    m_message->setMinimumWidth(300);
    messageLayout->addWidget(m_message, 1);
    m_counter->setObjectName(QStringLiteral("Counter"));
    messageLayout->addWidget(m_counter);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    m_apply->setObjectName(QStringLiteral("Apply to Selected Numbers"));
    cancel->setObjectName(QStringLiteral("Cancel"));
    buttons->addWidget(m_apply);
    buttons->addWidget(cancel, 0, Qt::AlignBottom);
    messageLayout->addLayout(buttons);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(listBox, 2);
    layout->addLayout(messageLayout, 3);

    connect(m_message, &QPlainTextEdit::textChanged, this,
            [this] { m_counter->setText(ListEditController::CharactersText(m_message->toPlainText())); });
    connect(m_apply, &QPushButton::clicked, this, &CUpdate_Selected_Item_SMS::OnApply);
    connect(cancel, &QPushButton::clicked, this, &CUpdate_Selected_Item_SMS::reject);

    // The numbers are read off the window's thread: a selection can be the whole of a large list.
    BeginWork();
    const ListEditController* c = &m_controller;
    const auto rows = m_rows;
    UiTask::Run<QStringList>(
        this, [c, rows] { return c->NumbersOf(*rows); },
        [this](QStringList numbers) {
            const qsizetype count = numbers.size();
            m_model->SetNumbers(std::move(numbers));
            if (count > 0)
                m_view->selectRow(0);
            m_total->setText(ListEditController::TotalSelectedText(count));
            EndWork();
            m_message->setFocus();
        });
}

void CUpdate_Selected_Item_SMS::BeginWork() {
    m_busy = true;
    m_pleaseWait->SetText(CPlease_Wail_Modeless::kDefaultText);
    m_pleaseWait->show();
    setEnabled(false);
    m_pleaseWait->setEnabled(true);
}

void CUpdate_Selected_Item_SMS::EndWork() {
    m_pleaseWait->hide();
    setEnabled(true);
    m_busy = false;
}

void CUpdate_Selected_Item_SMS::OnApply() {
    if (m_busy)
        return;
    const QString text = m_message->toPlainText();
    if (!m_controller.ConfirmUpdateSelected(text)) {
        if (text.isEmpty())
            m_message->setFocus();
        return;
    }
    BeginWork();
    const ListEditController* c = &m_controller;
    const auto rows = m_rows;
    UiTask::Run(
        this, [c, rows, text] { c->UpdateSelected(*rows, text); },
        [this] {
            EndWork();
            accept();
        });
}

void CUpdate_Selected_Item_SMS::reject() {
    if (!m_busy)
        QDialog::reject();
}
