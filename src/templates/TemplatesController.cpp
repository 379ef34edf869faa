#include "templates/TemplatesController.h"

#include "composer/MessageComposer.h"

#include <QSet>

#include <algorithm>

TemplatesController::TemplatesController(DataPaths paths, Prompter& prompter)
    : m_paths(std::move(paths)), m_prompter(prompter), m_store(m_paths.TemplatesFile()) {}

bool TemplatesController::Load() {
    m_rows.clear();
    m_paths.EnsureDataFiles();
    FileError error;
    m_loaded = m_store.Read(&m_rows, TemplateStore::Duplicates::Exact, &error);
    if (!m_loaded)
        m_prompter.Notice(FileErrorText(error));
    return m_loaded;
}

QString TemplatesController::CountText(qsizetype count) {
    return QStringLiteral("Total Items : %1").arg(count);
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
    if (!m_loaded)
        return true;
    m_paths.EnsureDataFiles();
    FileError error;
    if (!m_store.Rewrite(m_rows, &error)) {
        m_prompter.Notice(FileErrorText(error));
        return false;
    }
    return true;
}

bool TemplatesController::MayUpdate(const std::vector<qsizetype>& rows) {
    if (m_rows.isEmpty())
        m_prompter.Notice(kEmptyList);
    else if (rows.empty())
        m_prompter.Notice(kSelectToUpdate);
    else if (rows.size() > 1)
        m_prompter.Notice(kOnlyOneToUpdate);
    else
        return rows.front() >= 0 && rows.front() < m_rows.size();
    return false;
}

bool TemplatesController::Update(qsizetype row, const QString& text) {
    if (row < 0 || row >= m_rows.size())
        return false;
    if (const QString refusal = CheckTemplateText(text, m_rows, row); !refusal.isEmpty()) {
        m_prompter.Notice(refusal);
        return false;
    }
    m_rows[row] = text;
    return true;
}

bool TemplatesController::MayClearSelected(const std::vector<qsizetype>& rows) {
    if (m_rows.isEmpty())
        m_prompter.Notice(kEmptyList);
    else if (rows.empty())
        m_prompter.Notice(kSelectAtLeastOne);
    else
        return true;
    return false;
}

void TemplatesController::RemoveRows(const std::vector<qsizetype>& rows) {
    QStringList kept;
    kept.reserve(m_rows.size());
    auto next = rows.cbegin();
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        while (next != rows.cend() && *next < i)
            ++next;
        if (next == rows.cend() || *next != i)
            kept.append(m_rows.at(i));
    }
    m_rows = kept;
}

bool TemplatesController::ClearAll() {
    if (m_rows.isEmpty()) {
        m_prompter.Notice(kEmptyList);
        return false;
    }
    if (m_prompter.Ask(kClearAllQuestion, QStringLiteral("Message"), Prompter::Icon::Warning,
                       Prompter::Buttons::YesNo) != Prompter::Answer::Yes)
        return false;
    m_paths.EnsureDataFiles();
    FileError error;
    if (!m_store.Rewrite({}, &error)) {
        m_prompter.Notice(FileErrorText(error));
        return false;
    }
    m_rows.clear();
    return true;
}

std::optional<QString> TemplatesController::UseTemplate(const std::vector<qsizetype>& rows, const QString& composerText,
                                                        qsizetype selectionStart, qsizetype selectionEnd) {
    if (m_rows.isEmpty()) {
        m_prompter.Notice(kEmptyList);
        return std::nullopt;
    }
    if (rows.size() > 1) {
        m_prompter.Notice(kOnlyOneToUse);
        return std::nullopt;
    }
    if (rows.empty() || rows.front() < 0 || rows.front() >= m_rows.size()) {
        m_prompter.Notice(kSelectToUse);
        return std::nullopt;
    }
    const qsizetype start = std::clamp<qsizetype>(std::min(selectionStart, selectionEnd), 0, composerText.size());
    const qsizetype end = std::clamp<qsizetype>(std::max(selectionStart, selectionEnd), 0, composerText.size());
    const QString text = composerText.left(start) + m_rows.at(rows.front()) + composerText.mid(end);
    if (!MessageComposer::ExceedsLimit(text))
        return MessageComposer::WithCrLfLineBreaks(text);
    if (m_prompter.Ask(kTooLongQuestion, QStringLiteral("Message"), Prompter::Icon::Warning,
                       Prompter::Buttons::YesNo) != Prompter::Answer::Yes)
        return std::nullopt;
    return MessageComposer::FitInsertion(0, 0, text);
}

void TemplatesController::ReportUsed() {
    m_prompter.Notice(kMovedToComposer);
}
