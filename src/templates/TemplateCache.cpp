#include "templates/TemplateCache.h"

TemplateCache::TemplateCache(TemplateStore store) : m_store(std::move(store)) {}

bool TemplateCache::Reload(FileError* error) {
    QStringList rows;
    const bool ok = m_store.Read(&rows, TemplateStore::Duplicates::IgnoreCase, error);
    std::lock_guard lock(m_mutex);
    m_entries = rows;
    m_folded.clear();
    for (const QString& text : std::as_const(m_entries))
        m_folded.insert(text.toCaseFolded());
    return ok;
}

bool TemplateCache::SaveToTemplates(const QString& message) {
    if (message.isEmpty())
        return false;
    const QString key = message.toCaseFolded();
    // Held across the append so that two workers sending the same text store it once.
    std::lock_guard lock(m_mutex);
    if (m_folded.contains(key))
        return false;
    if (!m_store.Append(message))
        return false;
    m_entries.prepend(message);
    m_folded.insert(key);
    return true;
}

QStringList TemplateCache::Entries() const {
    std::lock_guard lock(m_mutex);
    return m_entries;
}
