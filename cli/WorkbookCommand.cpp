// bulksms-cli workbook FILE: what the workbook reader sees in a workbook, as JSON on stdout, so that a user
// can tell why an import took what it took.
#include "CliCommand.h"

#include "excel_import/WorkbookReader.h"

#include <QByteArray>

#include <cstdio>

namespace {

// Used ranges beyond this many cells are described, not printed (a sheet with values in A1 and XFD1048576
// would otherwise print seventeen billion empty texts).
constexpr qint64 kMaxPrintedCells = 20'000'000;

void Write(const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
}

// A JSON string: the text as UTF-8 with quotes, backslashes and control characters escaped.
QByteArray JsonText(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size() + 2);
    out += '"';
    for (const char c : utf8) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    out += '"';
    return out;
}

QByteArray SheetError(const QString& name, SheetKind kind, const ReaderStatus& status) {
    QByteArray out = "{\"name\":" + JsonText(name) + ",\"kind\":" + JsonText(SheetKindName(kind)) +
                     ",\"error\":" + JsonText(status.Message());
    if (status.error == ReaderError::AutomationError && !status.detail.isEmpty())
        out += ",\"detail\":" + JsonText(status.detail);
    return out + '}';
}

void WriteSheet(WorkbookReader& reader, int sheet) {
    const QString name = reader.SheetName(sheet);
    const SheetKind kind = reader.SheetKindOf(sheet);
    if (ReaderStatus status = reader.SelectSheet(sheet); !status) {
        Write(SheetError(name, kind, status));
        return;
    }
    SheetData data;
    ReaderStatus status = reader.GetUsedRange(&data);
    if (!status && status.error != ReaderError::SheetEmpty) {
        Write(SheetError(name, kind, status));
        return;
    }
    const qint64 rows = data.Rows();
    const qint64 columns = data.Columns();
    QByteArray head = "{\"name\":" + JsonText(name) + ",\"kind\":" + JsonText(SheetKindName(kind)) +
                      ",\"rows\":" + QByteArray::number(rows) + ",\"cols\":" + QByteArray::number(columns);
    if (rows * columns > kMaxPrintedCells) {
        Write(head + ",\"error\":" +
              JsonText(QStringLiteral("The used range of %1 rows by %2 columns is too large to print.")
                           .arg(rows)
                           .arg(columns)) +
              '}');
        return;
    }
    Write(head + ",\"cells\":[");
    QByteArray line;
    for (int r = 1; r <= rows; ++r) {
        line = r > 1 ? ",\n  [" : "\n  [";
        for (int c = 1; c <= columns; ++c) {
            if (c > 1)
                line += ',';
            const CellValue value = data.Cell(r, c);
            if (value.IsError())
                line += "{\"error\":" + JsonText(value.text) + '}';
            else
                line += JsonText(value.text);
        }
        line += ']';
        Write(line);
    }
    Write(rows > 0 ? "\n]}" : "]}");
}

int RunWorkbook(const CliArgs& args) {
    WorkbookReader reader;
    if (ReaderStatus status = reader.OpenWorkbook(args.Positional().first()); !status) {
        CliErr(status.Message());
        if (status.error == ReaderError::AutomationError && !status.detail.isEmpty())
            CliErr(status.detail);
        return kExitRefused;
    }
    Write("[");
    for (int sheet = 1; sheet <= reader.SheetCount(); ++sheet) {
        Write(sheet > 1 ? ",\n" : "\n");
        WriteSheet(reader, sheet);
    }
    Write(reader.SheetCount() > 0 ? "\n]\n" : "]\n");
    reader.CloseWorkbook();
    return kExitOk;
}

} // namespace

BULKSMS_CLI_COMMAND(CliCommand{
    .name = QStringLiteral("workbook"),
    .summary = QStringLiteral("Print what the workbook reader sees in a workbook, as JSON: each sheet's used range "
                              "and cell texts, or why it could not be read."),
    .synopsis = QStringLiteral("FILE [--json]"),
    .options = {{QStringLiteral("json"),
                 {},
                 QStringLiteral("Accepted like the other commands': the output is always "
                                "JSON.")}},
    .positional = {QStringLiteral("FILE"), QStringLiteral("The workbook (.xls or .xlsx)."), 1, 1},
    .details = QStringLiteral("JSON: [{\"name\": TEXT, \"kind\": TEXT, \"rows\": N, \"cols\": N, \"cells\": "
                              "[[TEXT | {\"error\": TEXT}, ...], ...]} | {\"name\", \"kind\", \"error\"}, ...]"),
    .failure = QStringLiteral("the workbook could not be opened"),
    .run = RunWorkbook,
});
