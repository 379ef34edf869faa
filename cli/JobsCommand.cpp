// bulksms-cli jobs: the jobs of a job database with their progress per gateway and device.

#include "CliCommand.h"
#include "CliDatabase.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QString kName = QStringLiteral("jobs");

int Run(const CliArgs& a) {
    std::unique_ptr<PgJobStore> store;
    if (const std::optional<int> refused = CliDatabase::Open(a, kName, {}, &store))
        return *refused;
    std::vector<PgJobProgress> jobs;
    const JournalResult read = store->Progress(&jobs);
    if (!read.ok) {
        CliErr(read.message);
        return kExitRefused;
    }
    for (const PgJobProgress& job : jobs) {
        const QString state = job.finished ? QStringLiteral("finished") : QStringLiteral("open");
        const QString created = job.summary.created.toString(Qt::ISODate);
        if (a.Json()) {
            QJsonArray devices;
            for (const PgJobDevice& d : job.devices)
                devices.append(QJsonObject{{"gateway", d.gateway},
                                           {"imei", d.imei},
                                           {"sent", d.sent},
                                           {"failed", d.failed},
                                           {"inFlight", d.inFlight},
                                           {"unconfirmed", d.unconfirmed}});
            const QJsonObject o{{"job", job.summary.id},
                                {"created", created},
                                {"state", state},
                                {"rows", job.summary.rows},
                                {"sent", job.summary.sent},
                                {"failed", job.failed},
                                {"unconfirmed", job.summary.unconfirmed},
                                {"skipped", job.skipped},
                                {"pending", job.pending},
                                {"devices", devices}};
            CliOut(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)));
            continue;
        }
        CliOut(QStringLiteral("%1\t%2\t%3\t%4 rows\t%5 sent\t%6 failed\t%7 unconfirmed or in flight\t%8 skipped\t%9 "
                              "waiting")
                   .arg(job.summary.id)
                   .arg(created, state)
                   .arg(job.summary.rows)
                   .arg(job.summary.sent)
                   .arg(job.failed)
                   .arg(job.summary.unconfirmed)
                   .arg(job.skipped)
                   .arg(job.pending));
        for (const PgJobDevice& d : job.devices)
            CliOut(QStringLiteral("\t%1\t%2\t%3 sent\t%4 failed\t%5 in flight\t%6 unconfirmed")
                       .arg(d.gateway, d.imei)
                       .arg(d.sent)
                       .arg(d.failed)
                       .arg(d.inFlight)
                       .arg(d.unconfirmed));
    }
    return kExitOk;
}

} // namespace

BULKSMS_CLI_COMMAND(CliCommand{
    .name = kName,
    .summary = QStringLiteral("List the jobs of a job database with their progress per gateway and device."),
    .synopsis = QStringLiteral("--db URL [--json]"),
    .options = {CliDatabase::kOption, CliOptions::kJson},
    .details = QStringLiteral("Text: one line per job (number, created, open or finished, rows, sent, failed, "
                              "unconfirmed or in flight, skipped, waiting), then one indented line per gateway and "
                              "device (gateway, IMEI, sent, failed, in flight, unconfirmed). JSON: one object per "
                              "job with a \"devices\" array.\n") +
               CliDatabase::kExitHelp,
    .failure = QStringLiteral("the jobs could not be read"),
    .run = Run,
});
