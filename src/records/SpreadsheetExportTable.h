#pragma once

#include <QString>
#include <QStringList>

// The columns of one exported table, in sheet order: the heading row of the sheet. Each list of the program
// that can be exported has its set; statusColumn is the column the "SUC"/"FAL" row filters test (-1 where
// the table has no result text).
struct SpreadsheetExportTable {
    QStringList columns;
    int statusColumn = -1;

    // The Recipient list with its messages: Number, Message.
    static SpreadsheetExportTable RecipientList() { return {{QStringLiteral("Number"), QStringLiteral("Message")}}; }
    // The Recipient list's numbers only: Number.
    static SpreadsheetExportTable RecipientNumbers() { return {{QStringLiteral("Number")}}; }
    // An exclusion list: Exclusion Number.
    static SpreadsheetExportTable ExclusionList() { return {{QStringLiteral("Exclusion Number")}}; }
    // The sent items: Number, Message, Date, Status.
    // withDelivery: a last column "Delivery" (only when delivery reports were requested for a row).
    static SpreadsheetExportTable SentItems(bool withDelivery = false) {
        SpreadsheetExportTable table{
            {QStringLiteral("Number"), QStringLiteral("Message"), QStringLiteral("Date"), QStringLiteral("Status")}, 3};
        if (withDelivery)
            table.columns << QStringLiteral("Delivery");
        return table;
    }
    // The sending status: Number, Message, Current Status, Status and, when retries were on, Retry.
    static SpreadsheetExportTable SendingStatus(bool withRetry, bool withDelivery = false) {
        SpreadsheetExportTable table{{QStringLiteral("Number"), QStringLiteral("Message"),
                                      QStringLiteral("Current Status"), QStringLiteral("Status")},
                                     3};
        if (withRetry)
            table.columns << QStringLiteral("Retry");
        if (withDelivery)
            table.columns << QStringLiteral("Delivery");
        return table;
    }
    // The templates: Template Message.
    static SpreadsheetExportTable Templates() { return {{QStringLiteral("Template Message")}}; }
};
