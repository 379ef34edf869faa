#pragma once

// Helpers of the workbook reader's tests and of the imports' tests: paths of the committed workbooks, picker
// choices, Debian's python3 for workbooks made at test time, and builders of small .xlsx packages (BIFF8
// compound files: BiffBuilder.h) for cases no other program writes on request.

#include "excel_import/ExcelInfoController.h"
#include "fakes/BiffBuilder.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <zip.h>

#include <ostream>
#include <utility>
#include <vector>

// Readable QString values in failure messages.
[[maybe_unused]] static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace workbook_test {

inline QString DataFile(const QString& name) {
    return QStringLiteral(BULKSMS_TEST_DATA) + QStringLiteral("/workbooks/") + name;
}

// A picker choice: the sheet and its columns (number, checked), each named "c<number>".
inline ExcelInfoController::Choice Choose(int sheet, std::initializer_list<std::pair<int, bool>> columns) {
    ExcelInfoController::Choice choice{sheet, {}};
    for (const auto& [number, checked] : columns)
        choice.columns.append({number, QStringLiteral("c%1").arg(number), checked});
    return choice;
}

// Debian's interpreter, which has the python3-openpyxl / python3-xlwt / python3-xlrd modules that
// tools/deps.sh installs (a python3 earlier on PATH may be another installation without them).
inline QString Python() {
    return QFile::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                             : QStringLiteral("python3");
}

// Runs a python script; fails the test with its output when it does not exit 0.
inline bool RunPython(const QString& script, const QStringList& args = {}) {
    QProcess p;
    p.start(Python(), QStringList{QStringLiteral("-c"), script} + args);
    if (!p.waitForFinished(60000)) {
        ADD_FAILURE() << "python did not finish";
        return false;
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        ADD_FAILURE() << "python failed: " << p.readAllStandardError().toStdString();
        return false;
    }
    return true;
}

// Workbooks too large to commit, written at test time by another program: kLargeRows rows, row i (from 0)
// holding the number 447700000000 + i and the text "message i". A path ending in ".xls" is written by xlwt
// (BIFF8), any other by openpyxl (.xlsx).
constexpr int kLargeRows = 60000;

inline bool WriteLargeWorkbook(const QString& path) {
    static const char* const kOpenpyxl = R"(
import sys, openpyxl
wb = openpyxl.Workbook(write_only=True)
ws = wb.create_sheet("Big")
for i in range(int(sys.argv[2])):
    ws.append([447700000000 + i, "message %d" % i])
wb.save(sys.argv[1])
)";
    static const char* const kXlwt = R"(
import sys, xlwt
wb = xlwt.Workbook()
ws = wb.add_sheet("Big")
for i in range(int(sys.argv[2])):
    ws.write(i, 0, 447700000000 + i)
    ws.write(i, 1, "message %d" % i)
wb.save(sys.argv[1])
)";
    const bool xls = path.endsWith(QLatin1String(".xls"));
    return RunPython(QString::fromUtf8(xls ? kXlwt : kOpenpyxl), {path, QString::number(kLargeRows)});
}

// An .xlsx package (a zip) from part names and contents, in memory.
// With store, parts are kept uncompressed.
inline QByteArray Zip(const std::vector<std::pair<std::string, QByteArray>>& parts, bool store = false) {
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("p.zip")));
    int error = 0;
    zip_t* archive = zip_open(path.constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    EXPECT_NE(archive, nullptr);
    std::vector<QByteArray> keep;
    keep.reserve(parts.size());
    for (const auto& [name, content] : parts) {
        keep.push_back(content);
        zip_source_t* source =
            zip_source_buffer(archive, keep.back().constData(), static_cast<zip_uint64_t>(keep.back().size()), 0);
        const zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_OVERWRITE);
        EXPECT_GE(index, 0);
        if (store)
            zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
    }
    EXPECT_EQ(zip_close(archive), 0);
    QFile file(QString::fromLocal8Bit(path));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

inline const char* kContentTypes =
    "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>";
inline const char* kRelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

// A minimal package: one workbook part at workbookPart with the given sheets (name -> relationship type
// suffix "worksheet"/"chartsheet" and target as written in the relationship), the parts given, and
// optional shared strings.
struct XlsxParts {
    std::string workbookPart = "xl/workbook.xml";
    std::string workbookPr; // attributes of <workbookPr>, e.g. date1904="1"
    struct Sheet {
        std::string name;
        std::string type = "worksheet";
        std::string target; // as the relationship writes it
    };
    std::vector<Sheet> sheets;
    std::vector<std::pair<std::string, QByteArray>> parts; // further parts (sheets, sharedStrings.xml, ...)
    std::string sharedStringsTarget;                       // relationship target, empty for none
    std::string stylesTarget;

    QByteArray Build(bool store = false) const {
        QByteArray rootRels = QByteArray("<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas."
                                         "openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" "
                                         "Type=\"") +
                              kRelNs + "/officeDocument\" Target=\"/" + workbookPart.c_str() + "\"/></Relationships>";
        QByteArray workbook = QByteArray("<?xml version=\"1.0\"?><workbook xmlns=\"http://schemas.openxmlformats."
                                         "org/spreadsheetml/2006/main\" xmlns:r=\"") +
                              kRelNs + "\">";
        if (!workbookPr.empty())
            workbook += "<workbookPr " + QByteArray(workbookPr.c_str()) + "/>";
        workbook += "<sheets>";
        QByteArray rels = "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/"
                          "package/2006/relationships\">";
        int id = 1;
        for (const Sheet& s : sheets) {
            workbook += "<sheet name=\"" + QByteArray(s.name.c_str()) + "\" sheetId=\"" + QByteArray::number(id) +
                        "\" r:id=\"rId" + QByteArray::number(id) + "\"/>";
            rels += "<Relationship Id=\"rId" + QByteArray::number(id) + "\" Type=\"" + kRelNs + "/" + s.type.c_str() +
                    "\" Target=\"" + s.target.c_str() + "\"/>";
            ++id;
        }
        if (!sharedStringsTarget.empty())
            rels += "<Relationship Id=\"rIdS\" Type=\"" + QByteArray(kRelNs) + "/sharedStrings\" Target=\"" +
                    sharedStringsTarget.c_str() + "\"/>";
        if (!stylesTarget.empty())
            rels += "<Relationship Id=\"rIdT\" Type=\"" + QByteArray(kRelNs) + "/styles\" Target=\"" +
                    stylesTarget.c_str() + "\"/>";
        workbook += "</sheets></workbook>";
        rels += "</Relationships>";
        const std::size_t slash = workbookPart.rfind('/');
        const std::string relsPart = (slash == std::string::npos ? std::string() : workbookPart.substr(0, slash + 1)) +
                                     "_rels/" + workbookPart.substr(slash == std::string::npos ? 0 : slash + 1) +
                                     ".rels";
        std::vector<std::pair<std::string, QByteArray>> all = {{"[Content_Types].xml", kContentTypes},
                                                               {"_rels/.rels", rootRels},
                                                               {workbookPart, workbook},
                                                               {relsPart, rels}};
        all.insert(all.end(), parts.begin(), parts.end());
        return Zip(all, store);
    }
};

// A worksheet part whose <sheetData> holds the given XML.
inline QByteArray SheetXml(const QByteArray& sheetData) {
    return "<?xml version=\"1.0\"?><worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/"
           "main\"><dimension ref=\"A1:XFD1048576\"/><sheetData>" +
           sheetData + "</sheetData></worksheet>";
}

} // namespace workbook_test
