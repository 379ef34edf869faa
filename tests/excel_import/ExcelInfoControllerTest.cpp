// The sheet and column picker's logic (CExcel_Info_Dlg) over a workbook made by openpyxl.
#include "fakes/WorkbookTestSupport.h"

#include "excel_import/ExcelInfoController.h"
#include "excel_import/WorkbookReader.h"
#include "fakes/ScriptedPrompter.h"

using workbook_test::DataFile;

namespace {

class ExcelInfoControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WorkbookReader::ReadSheetNames(m_path, &m_sheets));
        m_controller = std::make_unique<ExcelInfoController>(m_path, m_sheets, m_prompter);
    }
    int Position(const char* name) const { return static_cast<int>(m_sheets.indexOf(QString::fromUtf8(name))); }

    const QString m_path = DataFile(QStringLiteral("openpyxl_sheets.xlsx"));
    QStringList m_sheets;
    ScriptedPrompter m_prompter;
    std::unique_ptr<ExcelInfoController> m_controller;
};

TEST_F(ExcelInfoControllerTest, ChosenSheetListsEveryColumnUncheckedAndOkHandsBackTheChoice) {
    EXPECT_EQ(m_controller->Sheets(), m_sheets);
    EXPECT_TRUE(m_controller->ChooseSheet(Position("Headers")));
    EXPECT_EQ(m_controller->ShownSheet(), 6);
    const QList<ExcelInfoController::Column> expected = {
        {1, QStringLiteral("Mobile"), false},
        {2, QStringLiteral("Untitled Column 1"), false},
        {3, QStringLiteral("Name"), false},
        {4, QStringLiteral("City"), false},
        {5, QStringLiteral("Untitled Column 2"), false},
        {6, QStringLiteral("Note"), false},
    };
    EXPECT_EQ(m_controller->Columns(), expected);
    EXPECT_FALSE(m_controller->AllChecked());

    // Nothing checked: the picker stays open.
    EXPECT_FALSE(m_controller->Accept());
    EXPECT_EQ(m_prompter.Messages(), QStringList{QStringLiteral("No column is selected.")});
    EXPECT_EQ(m_prompter.Asked().front().caption, QStringLiteral("Message"));
    EXPECT_EQ(m_prompter.Asked().front().icon, Prompter::Icon::Information);

    m_controller->SetAllChecked(true);
    EXPECT_TRUE(m_controller->AllChecked());
    m_controller->SetChecked(1, false);
    EXPECT_FALSE(m_controller->AllChecked());
    EXPECT_TRUE(m_controller->Accept());
    const ExcelInfoController::Choice choice = m_controller->Result();
    EXPECT_EQ(choice.sheet, 6);
    ASSERT_EQ(choice.columns.size(), 6);
    EXPECT_TRUE(choice.columns[0].checked);
    EXPECT_FALSE(choice.columns[1].checked);

    // Choosing the sheet already shown keeps the check marks.
    EXPECT_TRUE(m_controller->ChooseSheet(Position("Headers")));
    EXPECT_TRUE(m_controller->Columns()[0].checked);
}

TEST_F(ExcelInfoControllerTest, EmptySheetAndChartSheetLeaveNoColumns) {
    ASSERT_TRUE(m_controller->ChooseSheet(Position("Headers")));
    EXPECT_EQ(m_controller->ChooseSheet(Position("Empty")).error, ReaderError::SheetEmpty);
    EXPECT_TRUE(m_controller->Columns().isEmpty());
    EXPECT_FALSE(m_controller->AllChecked());
    EXPECT_FALSE(m_controller->Accept());

    EXPECT_EQ(m_controller->ChooseSheet(Position("Chart")).error, ReaderError::SheetFailed);
    EXPECT_TRUE(m_controller->Columns().isEmpty());
    const auto asked = m_prompter.Asked();
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0].message, QStringLiteral("Excel sheet is empty."));
    EXPECT_EQ(asked[0].caption, QStringLiteral("Message"));
    EXPECT_EQ(asked[1].message, QStringLiteral("There is no column.\n\nOR\n\nNo column is selected."));
    EXPECT_TRUE(asked[2].message.startsWith(QStringLiteral("Failed to get Excel Worksheet!")));
    EXPECT_EQ(asked[2].caption, QStringLiteral("Excel Error"));
    EXPECT_EQ(asked[2].icon, Prompter::Icon::Error);
}

TEST_F(ExcelInfoControllerTest, WithoutAChoiceTheFirstSheetIsHandedBack) {
    EXPECT_EQ(m_controller->Result().sheet, 1);
    EXPECT_TRUE(m_controller->ChooseSheet(-1));
    EXPECT_TRUE(m_controller->ChooseSheet(99));
    EXPECT_EQ(m_controller->ShownSheet(), 0);
    EXPECT_TRUE(m_prompter.Asked().empty());
}

TEST(ExcelInfoControllerFile, AWorkbookThatVanishedIsReportedAsAnExcelError) {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    ExcelInfoController controller(dir.filePath(QStringLiteral("gone.xlsx")), {QStringLiteral("Sheet1")}, prompter);
    EXPECT_EQ(controller.ChooseSheet(0).error, ReaderError::OpenFailed);
    ASSERT_EQ(prompter.Asked().size(), 1u);
    EXPECT_EQ(prompter.Asked()[0].message, QStringLiteral("Failed to open Excel file!\nNo such file or directory"));
    EXPECT_EQ(prompter.Asked()[0].caption, QStringLiteral("Excel Error"));
}

} // namespace
