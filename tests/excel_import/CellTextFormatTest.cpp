// Numbers, dates and number formats as cell text.
#include "fakes/WorkbookTestSupport.h"

#include "excel_import/CellTextFormat.h"

#include <limits>

namespace {

TEST(CellTextFormat, NumbersKeepFifteenSignificantDigits) {
    const std::pair<double, const char*> cases[] = {
        {0, "0"},
        {-0.0, "0"},
        {7, "7"},
        {-42, "-42"},
        {447700900123, "447700900123"},       // a phone number stored as a number: plain digits
        {123456789012345, "123456789012345"}, // 15 digits, still plain
        {1234567890123456, "1.23456789012346E+15"},
        {1e15, "1E+15"},
        {0.5, "0.5"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3.0, "0.333333333333333"},
        {0.0001, "0.0001"},
        {0.00001, "1E-05"},
        {1e-7, "1E-07"},
        {123.456, "123.456"},
        {1e300, "1E+300"},
        {std::numeric_limits<double>::quiet_NaN(), "#NUM!"},
        {std::numeric_limits<double>::infinity(), "#NUM!"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(CellTextFormat::Number(value), QString::fromUtf8(text)) << value;
}

TEST(CellTextFormat, DateSerialsOfBothDateSystems) {
    const struct {
        double serial;
        bool date1904;
        const char* text;
    } cases[] = {
        {1, false, "01/01/1900"},
        {59, false, "28/02/1900"},
        {60, false, "29/02/1900"}, // the day the 1900 system counts although it never was
        {61, false, "01/03/1900"},
        {45356, false, "05/03/2024"},
        {45356.5, false, "05/03/2024 12:00:00"},
        {45356.999999999, false, "06/03/2024"}, // rounds to the next midnight, never 24:00:00
        {0.75, false, "18:00:00"},
        {0, false, "00:00:00"},
        {0, true, "01/01/1904"},
        {1, true, "02/01/1904"},
        {2958465, false, "31/12/9999"},
        {2958467, false, "2958467"}, // beyond the calendar: the number
        {-1, false, "-1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CellTextFormat::DateTime(c.serial, c.date1904), QString::fromUtf8(c.text)) << c.serial;
}

TEST(CellTextFormat, DateFormatCodes) {
    const std::pair<const char*, bool> codes[] = {
        {"General", false},
        {"GENERAL", false},
        {"0.00", false},
        {"#,##0", false},
        {"0.00E+00", false},
        {"@", false},
        {"\"Days\" 0", false},
        {"0\\d", false},
        {"[Red]0.00", false},
        {"[>=100]0;[Red]0", false},
        {"0;\"yes\";\"no\"", false},
        {"_(* #,##0_)", false},
        {"dd/mm/yyyy", true},
        {"yyyy-mm-dd hh:mm:ss", true},
        {"hh:mm", true},
        {"[h]:mm:ss", true},
        {"[$-409]d-mmm-yy;@", true},
        {"mmm yyyy", true},
        {"General;dd", false}, // only the first section decides
    };
    for (const auto& [code, date] : codes)
        EXPECT_EQ(CellTextFormat::IsDateFormatCode(QString::fromUtf8(code)), date) << code;
    for (int id : {14, 15, 16, 17, 18, 19, 20, 21, 22, 45, 46, 47})
        EXPECT_TRUE(CellTextFormat::IsBuiltInDateFormat(id)) << id;
    for (int id : {0, 1, 2, 9, 10, 11, 12, 13, 37, 44, 48, 49})
        EXPECT_FALSE(CellTextFormat::IsBuiltInDateFormat(id)) << id;
}

TEST(CellTextFormat, BiffErrorCodes) {
    const std::pair<int, const char*> codes[] = {{0x00, "#NULL!"}, {0x07, "#DIV/0!"}, {0x0F, "#VALUE!"},
                                                 {0x17, "#REF!"},  {0x1D, "#NAME?"},  {0x24, "#NUM!"},
                                                 {0x2A, "#N/A"},   {0x99, "#N/A"}};
    for (const auto& [code, text] : codes)
        EXPECT_EQ(CellTextFormat::BiffErrorText(code), QString::fromUtf8(text));
}

} // namespace
