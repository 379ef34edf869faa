#pragma once

#include <QString>
#include <QStringList>

#include <mutex>
#include <optional>

// The custom SMSC numbers of the devices, kept while the program runs: one entry per port, the text
// "<port>||<number>||Y" (in use) or "<port>||<number>||N". Read by the sending workers while the windows may
// change it, so every call locks.
class CustomSmscStore {
public:
    struct Entry {
        QString number;
        bool inUse = false;
    };

    // Replaces every entry by one "<port>||||N" per port (what a new scan starts from).
    void Rebuild(const QStringList& ports);
    // Removes the port's entry and adds "<port>||<number>||Y/N".
    void Set(const QString& port, const QString& number, bool inUse);
    void Remove(const QString& port);
    void Clear();
    std::optional<Entry> Find(const QString& port) const;
    QStringList Entries() const;

    static QString EntryText(const QString& port, const QString& number, bool inUse);

private:
    static QString PortOf(const QString& entry);

    mutable std::mutex m_mutex;
    QStringList m_entries;
};
