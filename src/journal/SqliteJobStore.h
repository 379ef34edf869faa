#pragma once

#include "journal/JobStore.h"

#include <QString>

#include <map>
#include <memory>
#include <mutex>

class QLockFile;
class SqlConnectionThread;

// The run journal of one host: an SQLite database file (through QtSql) in the data folder. Write-ahead log
// with a full sync at every commit, so a claim survives a power cut as well as a killed process. Several
// processes may open the same file (SQLite's own locks, with a busy time-out); which process owns a run is a
// lock file beside the journal that dies with its process.
class SqliteJobStore final : public JobStore {
public:
    // The value of PRAGMA application_id that marks a file as one of our journals ("VRJ1").
    static constexpr int kApplicationId = 0x56524A31;
    static inline const QString kFileName = QStringLiteral("RunJournal.db");

    explicit SqliteJobStore(QString path);
    ~SqliteJobStore() override;

    [[nodiscard]] JournalResult Open() override;
    QString Location() const override { return m_path; }
    [[nodiscard]] JournalResult CreateRun(const JournalRunSpec& spec, const std::vector<JournalRowText>& rows,
                                          qint64* runId) override;
    [[nodiscard]] JournalResult TakeOwnership(qint64 runId) override;
    [[nodiscard]] ClaimOutcome Claim(qint64 runId, int row, const QString& imei, QString* error) override;
    [[nodiscard]] JournalResult RecordResult(qint64 runId, int row, JournalRowState state, const QString& status,
                                             const QString& reference, int retry) override;
    void PostResult(qint64 runId, int row, JournalRowState state, const QString& status, const QString& reference,
                    int retry, QString* error) override;
    void WhenDurable(std::function<void()> step) override;
    [[nodiscard]] JournalResult Flush() override;
    void MarkLogged(qint64 runId, int row) override;
    [[nodiscard]] JournalResult MarkUnconfirmed(qint64 runId, const std::vector<int>& rows,
                                                const QString& status) override;
    [[nodiscard]] JournalResult FinishRun(qint64 runId) override;
    void ReleaseRun(qint64 runId) override;
    [[nodiscard]] JournalResult InterruptedRuns(std::vector<JournalRunSummary>* runs) override;
    [[nodiscard]] JournalResult LoadRun(qint64 runId, JournalRun* run) override;

    // Where a file that is no readable journal is moved: "<path>.unreadable-<UTC yyyyMMdd-HHmmss>".
    static QString SetAsidePath(const QString& path, const QDateTime& when);

private:
    enum class OpenFailure { None, Unreadable, Error };
    OpenFailure TryOpen(QString* error);
    QString RunLockPath(qint64 runId) const;
    bool LockRun(qint64 runId);
    JournalResult Failed(const QString& what, const QString& error) const;

    QString m_path;
    std::unique_ptr<SqlConnectionThread> m_connection;
    std::mutex m_mutex; // guards m_owned
    std::map<qint64, std::unique_ptr<QLockFile>> m_owned;
};
