#pragma once

#include <QSqlError>
#include <QString>

// A QtSql error for a message: the database's own words, then what the driver was doing in parentheses
// ("disk I/O error (Unable to commit transaction)").
inline QString SqlErrorText(const QSqlError& error) {
    const QString database = error.databaseText().trimmed();
    const QString driver = error.driverText().trimmed();
    if (database.isEmpty() || driver.isEmpty())
        return database.isEmpty() ? driver : database;
    return database + QStringLiteral(" (") + driver + QLatin1Char(')');
}
