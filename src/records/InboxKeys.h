#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <unordered_set>

// The keys of what the inbox holds (InboxRecord::keys): one per PDU a device handed over, so that a message or
// report read again from the device (its AT+CMGD failed, or a listing and an indication both carried it) is
// known as stored and never stored twice. The file is read once, then only what was appended since; a file
// replaced by a deletion is read again whole. Used from one thread.
class InboxKeys {
public:
    explicit InboxKeys(QString path) : m_path(std::move(path)) {}

    // Reads what was appended since the last call. False when the file exists but could not be read (the keys
    // known so far stay).
    [[nodiscard]] bool Refresh();
    bool Contains(const QString& key) const;
    // Keys just stored by the caller.
    void Add(const QStringList& keys);
    std::size_t Count() const { return m_keys.size(); }

    // The key of one PDU (hex, or a text-mode item's lines) from a device (its IMEI, else its port name): 16 hex
    // digits of its SHA-1. The PDU holds the originator and the service centre time stamp (reports: reference,
    // recipient and both time stamps), so two messages never share a key while a re-read always does.
    static QString KeyOf(const QString& device, const QString& pdu);

private:
    QString m_path;
    qint64 m_offset = 0;     // bytes of the file read so far, up to the end of its last whole line
    std::uint64_t m_file = 0; // the file's inode when it was read: a rewrite replaces it
    std::unordered_set<std::uint64_t> m_keys;
};
