#include "composer/gui/DatabaseSendRow.h"

#include "app/Prompter.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>

DatabaseSendRow::DatabaseSendRow(UserSettings& settings, Prompter& prompter, QWidget* parent)
    : QWidget(parent), m_choice(settings), m_prompter(prompter),
      m_check(new QCheckBox(QStringLiteral("Send through a job database"))), m_url(new QLineEdit) {
    setObjectName(QStringLiteral("DatabaseSendRow"));
    m_check->setObjectName(QStringLiteral("SendThroughDatabase"));
    m_url->setObjectName(QStringLiteral("JobDatabaseUrl"));
    m_url->setPlaceholderText(QStringLiteral("postgresql://USER@HOST:PORT/DATABASE"));
    m_check->setChecked(m_choice.IsOn());
    m_url->setText(m_choice.DisplayUrl());
    m_url->setEnabled(m_choice.IsOn());
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_check);
    layout->addWidget(m_url, 1);
    connect(m_check, &QCheckBox::toggled, this, [this](bool on) {
        m_choice.SetOn(on);
        m_url->setEnabled(on);
    });
    connect(m_url, &QLineEdit::editingFinished, this, &DatabaseSendRow::OnUrlEntered);
}

void DatabaseSendRow::OnUrlEntered() {
    const QString text = m_url->text().trimmed();
    if (text.isEmpty() || text == m_choice.DisplayUrl())
        return;
    QString error;
    if (!m_choice.SetUrl(text, &error)) {
        m_url->setText(m_choice.DisplayUrl()); // the text typed may hold a password: not kept on screen
        m_prompter.Notice(error);
        return;
    }
    m_url->setText(m_choice.DisplayUrl());
}

std::optional<PgUrl> DatabaseSendRow::UrlForSend() {
    OnUrlEntered(); // a URL typed but not yet entered
    if (!m_choice.Url())
        m_prompter.Notice(QStringLiteral("Please enter the job database URL."));
    return m_choice.Url();
}
