#include "sending/gui/CSend_Msg_Info.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

CSend_Msg_Info::CSend_Msg_Info(QWidget* parent)
    : QDialog(parent), m_all(new QRadioButton(ComposerTextQuestion::kAllRowsChoice)),
      m_blank(new QRadioButton(ComposerTextQuestion::kBlankRowsChoice)) {
    setObjectName(QStringLiteral("CSend_Msg_Info"));
    setWindowTitle(ComposerTextQuestion::kTitle);
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* icon = new QLabel;
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    top->addWidget(icon, 0, Qt::AlignTop);
    auto* text = new QLabel(ComposerTextQuestion::kText);
    text->setWordWrap(true);
    top->addWidget(text, 1);
    layout->addLayout(top);
    m_all->setChecked(true);
    layout->addWidget(m_all);
    layout->addWidget(m_blank);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* yes = new QPushButton(QStringLiteral("Yes"));
    yes->setObjectName(QStringLiteral("Yes"));
    auto* anyway = new QPushButton(QStringLiteral("Continue Anyway"));
    anyway->setObjectName(QStringLiteral("Continue Anyway"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    cancel->setObjectName(QStringLiteral("Cancel"));
    yes->setDefault(true);
    for (QPushButton* b : {yes, anyway, cancel})
        buttons->addWidget(b);
    layout->addLayout(buttons);
    connect(yes, &QPushButton::clicked, this, [this] {
        m_choice = Choice::Yes;
        accept();
    });
    connect(anyway, &QPushButton::clicked, this, [this] {
        m_choice = Choice::ContinueAnyway;
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::rejected, this, [this] { m_choice = Choice::Cancel; });
}

bool CSend_Msg_Info::OnlyBlankRows() const {
    return m_blank->isChecked();
}

CSend_Msg_Info::Choice CSend_Msg_Info::Ask() {
    m_choice = Choice::Cancel;
    exec();
    return m_choice;
}
