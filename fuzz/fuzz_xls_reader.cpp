// .xls files are untrusted input: the reader must end every file in a status, never crash, hang or grow
// without bound.
//
// An input that starts with the compound file signature is read as a whole file (mutations then hit the
// sector tables and the directory). Any other input is taken as a BIFF8 Workbook stream and wrapped in a
// compound file here, so that mutations reach the record readers.

#include "FuzzReadWorkbook.h"
#include "excel_import/WorkbookReader.h"
#include "records/XlsCompoundFile.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

QByteArray Wrap(QByteArray stream) {
    if (stream.size() < static_cast<qsizetype>(XlsCompoundFile::kMinStreamBytes))
        stream.resize(static_cast<qsizetype>(XlsCompoundFile::kMinStreamBytes), '\0');
    char* buffer = nullptr;
    std::size_t length = 0;
    std::FILE* file = open_memstream(&buffer, &length);
    if (!file)
        return {};
    QString error;
    const QByteArray room(XlsCompoundFile::kHeaderBytes, '\0');
    const bool ok = std::fwrite(room.constData(), 1, static_cast<std::size_t>(room.size()), file) ==
                        static_cast<std::size_t>(room.size()) &&
                    std::fwrite(stream.constData(), 1, static_cast<std::size_t>(stream.size()), file) ==
                        static_cast<std::size_t>(stream.size()) &&
                    XlsCompoundFile::Finish(file, static_cast<std::uint64_t>(stream.size()), &error);
    std::fclose(file);
    QByteArray out = ok ? QByteArray(buffer, static_cast<qsizetype>(length)) : QByteArray();
    std::free(buffer);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    ReaderLimits limits;
    limits.maxCells = 1 << 16;
    WorkbookReader reader(limits);
    const bool whole = input.startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1"));
    if (reader.OpenWorkbookData(whole ? input : Wrap(input)))
        ReadEverything(reader);
    reader.CloseWorkbook();
    return 0;
}
