#pragma once

#include <QString>
#include <QStringList>

#include <mutex>

// What a device worker may send in a run: Manual, at most `count` successful messages; Auto, no limit.
struct DeviceQuota {
    enum class Mode { Auto, Manual };
    int count = 0;
    Mode mode = Mode::Auto;

    bool IsManual() const { return mode == Mode::Manual; }
    friend bool operator==(const DeviceQuota&, const DeviceQuota&) = default;
};

// The session's quota state for the program's life: the quota settings text (QuotaSettings) that the
// quota window rebuilds on OK, and the usage list of the current run. The usage list holds one
// "<port>|<count>" entry per device worker that ended while quota management was on: the messages that
// worker sent. Workers add entries from their own threads; every member locks.
class QuotaState {
public:
    QString SettingsText() const;
    void SetSettingsText(const QString& text);

    // A new run starts with an empty usage list, so that a quota limits each run and not the program's life.
    void ClearUsage();
    void AddUsage(const QString& port, int sent);
    QStringList UsageEntries() const;
    // The messages the port's workers sent in this run: the sum of its usage entries.
    int UsedBy(const QString& port) const;

    // The quota of a worker for the port: for a device with a Manual line, its assigned number less what
    // the usage list records for the port (never below 0); otherwise Auto, no limit.
    DeviceQuota QuotaFor(const QString& port) const;

    // "<port>|<count>"; a port is a device name, so the count follows the last "|".
    static QString UsageEntry(const QString& port, int sent);
    static bool ParseUsageEntry(const QString& entry, QString* port, int* sent);

private:
    int UsedByLocked(const QString& port) const;

    mutable std::mutex m_mutex;
    QString m_settingsText;
    QStringList m_usage;
};
