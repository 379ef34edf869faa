#pragma once

#include "templates/TemplateStore.h"

#include <QSet>
#include <QStringList>

#include <mutex>

// The texts of the template store held while a send runs with "Save sent message to Templates" on. The
// sending workers call SaveToTemplates from their own threads; every member is thread-safe.
class TemplateCache {
public:
    explicit TemplateCache(TemplateStore store);

    // Empties the cache and fills it from the store (a text differing only in letter case counts as the
    // same). False, with the reason, when the store cannot be read; the cache is then empty.
    [[nodiscard]] bool Reload(FileError* error = nullptr);

    // Adds a sent message to the store unless the cache holds it already (letter case ignored). An empty
    // message is never stored. A store that cannot be written is passed over silently; the message then
    // stays out of the cache too, so a later call tries again. True when the message was stored.
    bool SaveToTemplates(const QString& message);

    // Row 0 first.
    QStringList Entries() const;

private:
    TemplateStore m_store;
    mutable std::mutex m_mutex;
    QStringList m_entries;
    QSet<QString> m_folded; // case-folded texts of m_entries
};
