#include "sending/SendStatusExport.h"

#include "sending/SendJob.h"

namespace SendStatusExport {

SpreadsheetExport::Result Write(const SendJob& job, bool withRetry, SpreadsheetExport::Filter filter,
                                const QString& path, SpreadsheetExport::Format format, Prompter& prompter) {
    int next = 0;
    const int count = job.RowCount();
    const SpreadsheetExport::RowSource rows = [&](QStringList* row) {
        if (next >= count)
            return false;
        const SendJob::Row r = job.RowAt(next++);
        *row = {r[SendJob::kNumber], r[SendJob::kMessage], r[SendJob::kCurrentStatus], r[SendJob::kStatus]};
        if (withRetry)
            *row << r[SendJob::kRetry];
        return true;
    };
    return SpreadsheetExport(prompter).Export(SpreadsheetExportTable::SendingStatus(withRetry), rows, filter, path,
                                              format);
}

} // namespace SendStatusExport
