#include "composer/RecipientListExport.h"

#include "app/Prompter.h"
#include "composer/RecipientList.h"

#include <vector>

namespace RecipientListExport {

ExportResult Write(const RecipientList& list, const QString& path, SpreadsheetExport::Format format,
                   Prompter& prompter) {
    if (list.IsEmpty())
        return ExportResult::Refused(ExportResult::Outcome::EmptyList, kEmptyList);
    constexpr qsizetype kChunk = 10000;
    std::vector<RecipientRow> chunk;
    size_t inChunk = 0;
    qsizetype next = 0;
    const SpreadsheetExport::RowSource rows = [&](QStringList* row) {
        if (inChunk == chunk.size()) {
            chunk = list.Rows(next, kChunk);
            next += static_cast<qsizetype>(chunk.size());
            inChunk = 0;
            if (chunk.empty())
                return false;
        }
        const RecipientRow& r = chunk[inChunk++];
        *row = {r.number, r.message};
        return true;
    };
    return ExportResult::FromSpreadsheet(SpreadsheetExport(prompter).Export(SpreadsheetExportTable::RecipientList(),
                                                                            rows, SpreadsheetExport::Filter::All, path,
                                                                            format),
                                         kExported);
}

} // namespace RecipientListExport
