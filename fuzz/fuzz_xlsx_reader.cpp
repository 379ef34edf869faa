// .xlsx files are untrusted input: the reader must end every file in a status, never crash, hang or grow
// without bound.
//
// An input that starts with "PK" is read as a whole file. Any other input is split at "\n--8<--\n" into the
// XML of a worksheet, the shared strings, the styles and (optionally) the workbook part, which are packed into a
// zip here, so that mutations reach the XML readers instead of breaking the zip's checksums.

#include "FuzzReadWorkbook.h"
#include "excel_import/WorkbookReader.h"

#include <zip.h>

#include <QByteArray>
#include <QList>

#include <cstddef>
#include <cstdint>

namespace {

const QByteArray kSeparator = "\n--8<--\n";

QByteArray Package(const QByteArray& input) {
    QList<QByteArray> chunks;
    for (qsizetype start = 0;;) {
        const qsizetype at = input.indexOf(kSeparator, start);
        chunks << input.mid(start, at < 0 ? -1 : at - start);
        if (at < 0 || chunks.size() == 4)
            break;
        start = at + kSeparator.size();
    }
    const QByteArray workbook =
        chunks.size() > 3
            ? chunks[3]
            : QByteArray("<workbook xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                         "relationships\"><workbookPr date1904=\"0\"/><sheets><sheet name=\"S\" r:id=\"r1\"/>"
                         "<sheet name=\"C\" r:id=\"r2\"/></sheets></workbook>");
    const QByteArray rels =
        "<Relationships><Relationship Id=\"r1\" Type=\"x/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
        "<Relationship Id=\"r2\" Type=\"x/chartsheet\" Target=\"/xl/chartsheets/c.xml\"/>"
        "<Relationship Id=\"r3\" Type=\"x/sharedStrings\" Target=\"sharedStrings.xml\"/>"
        "<Relationship Id=\"r4\" Type=\"x/styles\" Target=\"styles.xml\"/></Relationships>";
    const std::pair<const char*, QByteArray> parts[] = {
        {"_rels/.rels", "<Relationships><Relationship Id=\"a\" Type=\"x/officeDocument\" Target=\"xl/workbook.xml\"/>"
                        "</Relationships>"},
        {"xl/workbook.xml", workbook},
        {"xl/_rels/workbook.xml.rels", rels},
        {"xl/worksheets/sheet1.xml", chunks.value(0)},
        {"xl/sharedStrings.xml", chunks.value(1)},
        {"xl/styles.xml", chunks.value(2)},
    };
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t* archive = source ? zip_open_from_source(source, ZIP_TRUNCATE, &error) : nullptr;
    QByteArray out;
    if (archive) {
        zip_source_keep(source);
        for (const auto& [name, content] : parts) {
            zip_source_t* part =
                zip_source_buffer(archive, content.constData(), static_cast<zip_uint64_t>(content.size()), 0);
            const zip_int64_t index = zip_file_add(archive, name, part, ZIP_FL_OVERWRITE);
            if (index >= 0)
                zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
            else
                zip_source_free(part);
        }
        if (zip_close(archive) != 0) {
            zip_discard(archive);
        } else if (zip_source_open(source) == 0) {
            char buffer[4096];
            zip_int64_t n = 0;
            while ((n = zip_source_read(source, buffer, sizeof buffer)) > 0)
                out.append(buffer, static_cast<qsizetype>(n));
            zip_source_close(source);
        }
        zip_source_free(source);
    } else if (source) {
        zip_source_free(source);
    }
    zip_error_fini(&error);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    ReaderLimits limits;
    limits.maxPartBytes = 16 << 20;
    limits.maxCells = 1 << 16;
    WorkbookReader reader(limits);
    if (reader.OpenWorkbookData(input.startsWith("PK") ? input : Package(input)))
        ReadEverything(reader);
    reader.CloseWorkbook();
    return 0;
}
