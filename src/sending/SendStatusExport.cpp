#include "sending/SendStatusExport.h"

#include "sending/SendJob.h"

namespace SendStatusExport {

SpreadsheetExport::Result Write(const SendJob& job, bool withRetry, SpreadsheetExport::Filter filter,
                                const QString& path, SpreadsheetExport::Format format, Prompter& prompter) {
    int next = 0;
    const int count = job.RowCount();
    // The delivery column only for a run that requested reports.
    bool withDelivery = false;
    for (int r = 0; r < count && !withDelivery; ++r)
        withDelivery = !job.Text(r, SendJob::kDelivery).isEmpty();
    const SpreadsheetExport::RowSource rows = [&](QStringList* row) {
        if (next >= count)
            return false;
        const SendJob::Row r = job.RowAt(next++);
        *row = {r[SendJob::kNumber], r[SendJob::kMessage], r[SendJob::kCurrentStatus], r[SendJob::kStatus]};
        if (withRetry)
            *row << r[SendJob::kRetry];
        if (withDelivery)
            *row << r[SendJob::kDelivery];
        return true;
    };
    return SpreadsheetExport(prompter).Export(SpreadsheetExportTable::SendingStatus(withRetry, withDelivery), rows, filter, path,
                                              format);
}

} // namespace SendStatusExport
