#include "templates/gui/CUpdateTemp.h"

#include "app/Prompter.h"
#include "composer/MessageComposer.h"
#include "templates/TemplatesController.h"
#include "ui/ComposerEdit.h"
#include "ui/DialogButtons.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CUpdateTemp::CUpdateTemp(Mode mode, const QStringList& rows, qsizetype row, Prompter& prompter, QWidget* parent)
    : QDialog(parent), m_rows(rows), m_row(mode == Mode::Update ? row : -1), m_prompter(prompter),
      m_text(new ComposerEdit), m_counter(new QLabel),
      m_ok(new QPushButton(mode == Mode::Add ? QStringLiteral("Add") : QStringLiteral("Update"))) {
    setObjectName(QStringLiteral("CUpdateTemp"));
    setWindowTitle(mode == Mode::Add ? QStringLiteral("Add Template") : QStringLiteral("Update Template"));
    m_text->setObjectName(QStringLiteral("TemplateText"));
    if (m_row >= 0 && m_row < rows.size())
        m_text->setPlainText(QString(rows.at(m_row)).replace(QLatin1String("\r\n"), QStringLiteral("\n")));
    m_counter->setObjectName(QStringLiteral("Counter"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_counter, 0, Qt::AlignRight);
    layout->addLayout(DefaultAndCancelRow(this, m_ok));
    resize(460, 260);
    connect(m_ok, &QPushButton::clicked, this, &CUpdateTemp::accept);
    connect(m_text, &QPlainTextEdit::textChanged, this, &CUpdateTemp::Recount);
    Recount();
    m_text->setFocus();
    m_text->moveCursor(QTextCursor::End);
}

QString CUpdateTemp::Text() const {
    return MessageComposer::WithCrLfLineBreaks(m_text->toPlainText());
}

void CUpdateTemp::Recount() {
    m_counter->setText(QStringLiteral("%1 Characters").arg(m_text->ComposerLength()));
}

void CUpdateTemp::accept() {
    const QString refusal = TemplatesController::CheckTemplateText(Text(), m_rows, m_row);
    if (refusal.isEmpty()) {
        QDialog::accept();
        return;
    }
    m_prompter.Notice(refusal);
    m_text->setFocus();
}
