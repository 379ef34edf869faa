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
    if (m_store.Read(&m_rows, TemplateStore::Duplicates::Exact, &error))
        return true;
    m_prompter.Notice(FileErrorText(error));
    return false;
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

bool TemplatesController::Change(const std::function<QString(QStringList&)>& change) {
    m_paths.EnsureDataFiles();
    QString refusal;
    QStringList rows;
    FileError error;
    const bool stored = m_store.Update(
        [&](QStringList& current) {
            refusal = change(current);
            return refusal.isEmpty();
        },
        &rows, &error);
    if (!stored) {
        m_prompter.Notice(FileErrorText(error));
        return false;
    }
    m_rows = std::move(rows);
    if (!refusal.isEmpty()) {
        m_prompter.Notice(refusal);
        return false;
    }
    return true;
}

bool TemplatesController::AddNew(const QString& text) {
    // Checked against the shown list first, so a refusal needs no file work, then against the store as it is.
    if (const QString refusal = CheckTemplateText(text, m_rows); !refusal.isEmpty()) {
        m_prompter.Notice(refusal);
        return false;
    }
    return Change([&text](QStringList& rows) {
        if (QString refusal = CheckTemplateText(text, rows); !refusal.isEmpty())
            return refusal;
        rows.prepend(text);
        return QString();
    });
}

std::optional<qsizetype> TemplatesController::AddImported(const QStringList& texts, std::atomic<qsizetype>* progress) {
    QStringList taken;
    const bool stored = Change([&texts, &taken](QStringList& rows) {
        QSet<QString> known(rows.cbegin(), rows.cend());
        for (const QString& text : texts) {
            if (text.isEmpty() || known.contains(text))
                continue;
            known.insert(text);
            taken.append(text);
            rows.prepend(text);
        }
        return QString();
    });
    if (!stored)
        return std::nullopt;
    if (progress)
        progress->fetch_add(taken.size(), std::memory_order_relaxed);
    return taken.size();
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
    const QString old = m_rows.at(row);
    // The template is found by its text in the store as it is now; one another process removed meanwhile
    // comes back with the new text on top rather than the edit being lost.
    return Change([&old, &text](QStringList& rows) {
        const qsizetype at = rows.indexOf(old);
        if (QString refusal = CheckTemplateText(text, rows, at); !refusal.isEmpty())
            return refusal;
        if (at >= 0)
            rows[at] = text;
        else
            rows.prepend(text);
        return QString();
    });
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

bool TemplatesController::RemoveTexts(const QStringList& gone) {
    // By text: templates another process added since the list was read stay.
    return Change([gone = QSet<QString>(gone.cbegin(), gone.cend())](QStringList& rows) {
        rows.removeIf([&gone](const QString& text) { return gone.contains(text); });
        return QString();
    });
}

bool TemplatesController::RemoveRows(const std::vector<qsizetype>& rows) {
    QStringList gone;
    for (const qsizetype row : rows) {
        if (row >= 0 && row < m_rows.size())
            gone.append(m_rows.at(row));
    }
    return RemoveTexts(gone);
}

bool TemplatesController::ClearAll() {
    if (m_rows.isEmpty()) {
        m_prompter.Notice(kEmptyList);
        return false;
    }
    if (m_prompter.Ask(kClearAllQuestion, QStringLiteral("Message"), Prompter::Icon::Warning,
                       Prompter::Buttons::YesNo) != Prompter::Answer::Yes)
        return false;
    return RemoveTexts(m_rows);
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
