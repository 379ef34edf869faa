// bulksms-cli workbook FILE, run as a separate process.
#include "CliProcess.h"
#include "fakes/WorkbookTestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using workbook_test::DataFile;

namespace {

CliRun Workbook(const QStringList& args) {
    return RunCli(QStringList{QStringLiteral("workbook")} + args);
}

QJsonArray Sheets(const CliRun& run) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(run.bytes, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << run.out.toStdString();
    EXPECT_TRUE(doc.isArray());
    return doc.array();
}

QJsonArray Cells(const QList<QStringList>& rows) {
    QJsonArray out;
    for (const QStringList& row : rows)
        out.append(QJsonArray::fromStringList(row));
    return out;
}

class WorkbookCli : public CliTest {};

TEST_F(WorkbookCli, EverySheetInOrderWithItsUsedRangeOrWhyItWasRefused) {
    const CliRun run = Workbook({DataFile(QStringLiteral("openpyxl_sheets.xlsx"))});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonArray sheets = Sheets(run);
    ASSERT_EQ(sheets.size(), 7);
    QStringList names;
    for (const QJsonValue& s : sheets)
        names << s[QStringLiteral("name")].toString();
    EXPECT_EQ(names, QStringList({"AtC3", "SingleB2", "Empty", "Chart", "SingleA1", "Headers", "Numbers"}));

    const QJsonObject atC3 = sheets[0].toObject();
    EXPECT_EQ(atC3[QStringLiteral("kind")].toString(), QStringLiteral("worksheet"));
    EXPECT_EQ(atC3[QStringLiteral("rows")].toInt(), 3);
    EXPECT_EQ(atC3[QStringLiteral("cols")].toInt(), 3);
    EXPECT_EQ(atC3[QStringLiteral("cells")].toArray(),
              Cells({{"r1c1", "r1c2", "r1c3"}, {"r2c1", "r2c2", "r2c3"}, {"r3c1", "r3c2", "r3c3"}}));
    EXPECT_EQ(sheets[1][QStringLiteral("cells")].toArray(), Cells({{"+447700900123"}}));

    const QJsonObject empty = sheets[2].toObject();
    EXPECT_EQ(empty[QStringLiteral("rows")].toInt(-1), 0);
    EXPECT_EQ(empty[QStringLiteral("cols")].toInt(-1), 0);
    EXPECT_EQ(empty[QStringLiteral("cells")].toArray(), QJsonArray());

    const QJsonObject chart = sheets[3].toObject();
    EXPECT_EQ(chart[QStringLiteral("kind")].toString(), QStringLiteral("chart"));
    EXPECT_TRUE(chart[QStringLiteral("error")].toString().startsWith(QStringLiteral("Failed to get Excel Worksheet!")));
    EXPECT_FALSE(chart.contains(QStringLiteral("cells")));

    const QJsonArray numbers = sheets[6][QStringLiteral("cells")].toArray();
    EXPECT_EQ(numbers[0].toArray()[1].toString(), QStringLiteral("447700900123"));
    EXPECT_EQ(numbers[10].toArray()[1].toString(), QStringLiteral("Gr\u00fc\u00dfe \u263a \U0001F600"));
    EXPECT_EQ(numbers[11].toArray()[1].toString(), QStringLiteral("line1\nline2"));
}

TEST_F(WorkbookCli, ErrorCellsCarryTheirCode) {
    const CliRun run = Workbook({DataFile(QStringLiteral("libreoffice_formulas.xls"))});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonArray cells = Sheets(run)[0][QStringLiteral("cells")].toArray();
    EXPECT_EQ(cells[1].toArray()[2].toObject(), QJsonObject({{QStringLiteral("error"), QStringLiteral("#DIV/0!")}}));
    EXPECT_EQ(cells[2].toArray()[2].toObject(), QJsonObject({{QStringLiteral("error"), QStringLiteral("#N/A")}}));
    EXPECT_EQ(cells[3].toArray()[2].toString(), QStringLiteral("abc6"));
}

TEST_F(WorkbookCli, AWorkbookThatCannotBeOpenedIsReportedOnStderr) {
    CliRun run = Workbook({DataFile(QStringLiteral("libreoffice_password.xlsx"))});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_EQ(run.err, QStringLiteral("Excel Error : File reading process is discarded.\n"
                                      "The workbook is protected by a password.\n"));
    run = Workbook({DataFile(QStringLiteral("no-such-file.xls"))});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, QStringLiteral("Failed to open Excel file!\nNo such file or directory\n"));
    run = Workbook({});
    EXPECT_EQ(run.exitCode, 2);
}

} // namespace
