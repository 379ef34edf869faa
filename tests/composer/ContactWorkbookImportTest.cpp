// Contacts from chosen workbook columns into the Recipient list.
#include "fakes/WorkbookTestSupport.h"

#include "composer/ContactTextImport.h"
#include "composer/ContactWorkbookImport.h"
#include "composer/RecipientList.h"

using namespace workbook_test;

namespace {

QStringList Numbers(const RecipientList& list) {
    QStringList out;
    for (qsizetype i = 0; i < list.Count(); ++i)
        out << list.Number(i);
    return out;
}

TEST(ContactWorkbookImport, CheckedColumnsLeftToRightAheadOfTheRowsThere) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("contacts.xlsx"));
    XlsxParts parts;
    parts.sheets = {{"Contacts", "worksheet", "worksheets/sheet1.xml"}};
    parts.parts = {
        {"xl/worksheets/sheet1.xml",
         SheetXml("<row r=\"2\"><c r=\"B2\" t=\"inlineStr\"><is><t>Mobile</t></is></c>"
                  "<c r=\"C2\" t=\"inlineStr\"><is><t>Name</t></is></c><c r=\"D2\"><v>447700900009</v></c></row>"
                  "<row r=\"3\"><c r=\"B3\" t=\"inlineStr\"><is><t>+44 7700 900001</t></is></c>"
                  "<c r=\"C3\" t=\"inlineStr\"><is><t>Ann</t></is></c><c r=\"D3\"><v>447700900003</v></c></row>"
                  "<row r=\"5\"><c r=\"B5\" t=\"inlineStr\"><is><t>(0770) 090-0002</t></is></c></row>")}};
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(parts.Build());
    file.close();

    RecipientList list;
    list.InsertRow(0, QStringLiteral("111"), QStringLiteral("old"), QString());
    // Column 1 (B) and column 3 (D) checked, column 2 (C) not.
    const ContactWorkbookImport::Outcome outcome = ContactWorkbookImport::Import(
        path, Choose(1, {{1, true}, {2, false}, {3, true}}), list, QStringLiteral("Hello"), NumberCheckOptions{});
    EXPECT_TRUE(outcome.status.Ok());
    EXPECT_EQ(outcome.added, 4);
    EXPECT_EQ(outcome.refusal, QString());
    EXPECT_EQ(Numbers(list), QStringList({"+447700900001", "07700900002", "447700900009", "447700900003", "111"}));
    EXPECT_EQ(list.Message(0), QStringLiteral("Hello"));
    EXPECT_EQ(list.Message(4), QStringLiteral("old"));

    // The same numbers again with "Skip Duplicate Numbers": nothing added, and the import says so.
    NumberCheckOptions skip;
    skip.skipDuplicates = true;
    const ContactWorkbookImport::Outcome again =
        ContactWorkbookImport::Import(path, Choose(1, {{1, true}, {3, true}}), list, QString(), skip);
    EXPECT_EQ(again.added, 0);
    EXPECT_EQ(again.refusal, ContactTextImport::kNothingAdded);
}

TEST(ContactWorkbookImport, NumbersReadBeforeAnErrorValueStay) {
    RecipientList list;
    const ContactWorkbookImport::Outcome outcome =
        ContactWorkbookImport::Import(DataFile(QStringLiteral("libreoffice_formulas.xlsx")),
                                      Choose(1, {{5, true}, {3, true}}), list, QString(), NumberCheckOptions{});
    // Column E holds 50 in row 11; column C holds 12, then #DIV/0! in row 2, which ends the read.
    EXPECT_EQ(outcome.status.error, ReaderError::AutomationError);
    EXPECT_EQ(outcome.refusal, QString());
    EXPECT_EQ(Numbers(list), QStringList({"50", "12"}));
}

TEST(ContactWorkbookImport, ReaderFailuresEndTheImport) {
    RecipientList list;
    ContactWorkbookImport::Outcome outcome =
        ContactWorkbookImport::Import(DataFile(QStringLiteral("openpyxl_sheets.xlsx")), Choose(4, {{1, true}}), list,
                                      QString(), NumberCheckOptions{});
    EXPECT_EQ(outcome.status.error, ReaderError::SheetFailed); // the chart sheet
    outcome = ContactWorkbookImport::Import(DataFile(QStringLiteral("libreoffice_password.xls")),
                                            Choose(1, {{1, true}}), list, QString(), NumberCheckOptions{});
    EXPECT_EQ(outcome.status.error, ReaderError::AutomationError);
    EXPECT_EQ(outcome.refusal, QString());
    EXPECT_EQ(list.Count(), 0);
}

} // namespace
