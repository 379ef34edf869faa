#include "CliDatabase.h"

#include "sending/RunJournal.h"

namespace CliDatabase {

std::optional<int> Open(const CliArgs& a, const QString& command, const PgJobStore::Options& options,
                        std::unique_ptr<PgJobStore>* store) {
    if (!a.Has("db"))
        return CliUsageError(command, QStringLiteral("give the job database with --db URL"));
    QString error;
    const std::optional<PgUrl> url = PgUrl::Parse(a.Value("db"), &error);
    if (!url)
        return CliUsageError(command, error);
    PgJobStore::Options withText = options;
    withText.unconfirmedStatus = RunJournal::kUnconfirmed;
    auto opened = std::make_unique<PgJobStore>(*url, withText);
    const JournalResult result = opened->Open();
    if (!result.ok) {
        CliErr(result.message);
        switch (opened->OpenFailure()) {
        case PgJobStore::Failure::LoginRefused:
            return kExitLoginRefused;
        case PgJobStore::Failure::SchemaVersion:
            return kExitSchemaVersion;
        default:
            return kExitUnreachable;
        }
    }
    *store = std::move(opened);
    return std::nullopt;
}

std::optional<qint64> JobId(const CliArgs& a, const QString& command, int* exit) {
    bool ok = false;
    const qint64 id = a.Value("job").toLongLong(&ok);
    if (!ok || id <= 0) {
        *exit = CliUsageError(command, QStringLiteral("--job takes a job number from `bulksms-cli jobs`"));
        return std::nullopt;
    }
    return id;
}

} // namespace CliDatabase
