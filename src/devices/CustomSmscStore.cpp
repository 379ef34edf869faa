#include "devices/CustomSmscStore.h"

namespace {
const QLatin1String kSeparator("||");
}

QString CustomSmscStore::EntryText(const QString& port, const QString& number, bool inUse) {
    return port + kSeparator + number + kSeparator + (inUse ? QLatin1Char('Y') : QLatin1Char('N'));
}

QString CustomSmscStore::PortOf(const QString& entry) {
    const qsizetype at = entry.indexOf(kSeparator);
    return at < 0 ? entry : entry.left(at);
}

void CustomSmscStore::Rebuild(const QStringList& ports) {
    std::lock_guard lock(m_mutex);
    m_entries.clear();
    for (const QString& port : ports)
        m_entries << EntryText(port, {}, false);
}

void CustomSmscStore::Set(const QString& port, const QString& number, bool inUse) {
    std::lock_guard lock(m_mutex);
    m_entries.removeIf([&port](const QString& e) { return PortOf(e) == port; });
    m_entries << EntryText(port, number, inUse);
}

void CustomSmscStore::Remove(const QString& port) {
    std::lock_guard lock(m_mutex);
    m_entries.removeIf([&port](const QString& e) { return PortOf(e) == port; });
}

void CustomSmscStore::Clear() {
    std::lock_guard lock(m_mutex);
    m_entries.clear();
}

std::optional<CustomSmscStore::Entry> CustomSmscStore::Find(const QString& port) const {
    std::lock_guard lock(m_mutex);
    for (const QString& e : m_entries) {
        if (PortOf(e) != port)
            continue;
        // The flag is the last character; the number sits between the first and the last separator.
        const qsizetype first = e.indexOf(kSeparator);
        const qsizetype last = e.lastIndexOf(kSeparator);
        Entry entry;
        entry.number = last > first ? e.mid(first + 2, last - first - 2) : QString();
        entry.inUse = e.endsWith(QLatin1String("||Y"));
        return entry;
    }
    return std::nullopt;
}

QStringList CustomSmscStore::Entries() const {
    std::lock_guard lock(m_mutex);
    return m_entries;
}
