#pragma once

#include <QString>
#include <QStringView>

// How values that are not text become cell text, and which number formats make a number a date.
class CellTextFormat {
public:
    // A number as text: up to 15 significant digits, no separators, trailing zeros dropped; whole numbers of up
    // to 15 digits as plain digits ("447700900123"), other magnitudes in exponent form ("1.23456789012346E+18",
    // "1E-07"). Not-a-number and infinities (which no workbook should hold) give "#NUM!".
    static QString Number(double value);

    // A date serial number of the 1900 (or, with date1904, the 1904) date system as "dd/MM/yyyy", a time of day
    // as "HH:mm:ss", both when the value has a date and a time part. Serials outside the years 1900..9999 give
    // Number(serial).
    static QString DateTime(double serial, bool date1904);

    // "TRUE" / "FALSE", as the sheet shows them.
    static QString Boolean(bool value) { return value ? QStringLiteral("TRUE") : QStringLiteral("FALSE"); }

    // Whether a built-in number format (by id, shared by .xls and .xlsx) shows dates or times.
    static bool IsBuiltInDateFormat(int formatId);
    // Whether a format code ("dd/mm/yyyy", "[h]:mm", "0.00") shows dates or times: its first section holds a
    // day, month, year, hour or second code outside quoted text, escapes and bracketed colours/conditions.
    static bool IsDateFormatCode(QStringView code);

    // An error code of a .xls cell (0x07) as its text ("#DIV/0!"); "#N/A" for a code the format does not define.
    static QString BiffErrorText(int code);
};
