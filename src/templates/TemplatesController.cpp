#include "templates/TemplatesController.h"

#include <QSet>

TemplatesController::TemplatesController(DataPaths paths, Prompter& prompter)
    : m_paths(std::move(paths)), m_prompter(prompter), m_store(m_paths.TemplatesFile()) {}

bool TemplatesController::Load() {
    m_rows.clear();
    m_paths.EnsureDataFiles();
    FileError error;
    if (!m_store.Read(&m_rows, TemplateStore::Duplicates::Exact, &error)) {
        m_prompter.Notice(FileErrorText(error));
        return false;
    }
    return true;
}

QString TemplatesController::CountText() const {
    return QStringLiteral("Total Items : %1").arg(m_rows.size());
}

QString TemplatesController::CheckTemplateText(const QString& text, const QStringList& rows, qsizetype ownRow) {
    if (text.isEmpty())
        return kTypeTemplate;
    // A row's own unchanged text is kept even when longer than the dialog allows (an imported template).
    if (ownRow >= 0 && ownRow < rows.size() && rows.at(ownRow) == text)
        return {};
    if (text.size() > kMaxTemplateLength)
        return kTooLong;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (i != ownRow && rows.at(i) == text)
            return kAlreadyExists;
    }
    return {};
}

bool TemplatesController::AddNew(const QString& text) {
    if (const QString refusal = CheckTemplateText(text, m_rows); !refusal.isEmpty()) {
        m_prompter.Notice(refusal);
        return false;
    }
    FileError error;
    if (!m_store.Append(text, &error)) {
        m_prompter.Notice(FileErrorText(error));
        return false;
    }
    m_rows.prepend(text);
    return true;
}

std::optional<qsizetype> TemplatesController::AddImported(const QStringList& texts, std::atomic<qsizetype>* progress) {
    QSet<QString> known(m_rows.cbegin(), m_rows.cend());
    QStringList taken;
    for (const QString& text : texts) {
        if (text.isEmpty() || known.contains(text))
            continue;
        known.insert(text);
        taken.append(text);
    }
    FileError error;
    if (!m_store.Append(taken, &error)) {
        m_prompter.Notice(FileErrorText(error));
        return std::nullopt;
    }
    for (const QString& text : taken) {
        m_rows.prepend(text);
        if (progress)
            progress->fetch_add(1, std::memory_order_relaxed);
    }
    return taken.size();
}

bool TemplatesController::Save() {
    m_paths.EnsureDataFiles();
    FileError error;
    if (!m_store.Rewrite(m_rows, &error)) {
        m_prompter.Notice(FileErrorText(error));
        return false;
    }
    return true;
}
