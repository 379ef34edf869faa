// .xls files are untrusted input: the reader must end every file in a status, never crash, hang or grow
// without bound.
//
// An input that starts with the compound file signature is read as a whole file (mutations then hit the
// sector tables and the directory). Any other input is taken as a BIFF8 Workbook stream and wrapped in a
// compound file by the tests' own builder (in the mini stream below 4096 bytes, in regular sectors above),
// so that mutations reach the record readers.

#include "FuzzReadWorkbook.h"
#include "excel_import/WorkbookReader.h"
#include "fakes/BiffBuilder.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    ReaderLimits limits;
    limits.maxCells = 1 << 16;
    WorkbookReader reader(limits);
    const bool whole = input.startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1"));
    // The wrapper's sector tables hold streams up to about 7 MB; longer inputs teach nothing more.
    if (!whole && input.size() > (1 << 20))
        return 0;
    if (reader.OpenWorkbookData(whole ? input : workbook_test::biff::CompoundFile(input)))
        ReadEverything(reader);
    reader.CloseWorkbook();
    return 0;
}
