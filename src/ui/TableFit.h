#pragma once

#include <QStringList>

class QTableView;
class QWidget;

// Tables whose texts must never be cut off (device details, the sending window's device column): columns as
// wide as their contents and captions, and the window widened to show the whole table, up to the screen.
namespace TableFit {

// Every column to its contents (the rows the view samples) and never below its caption, then the window.
void ColumnsToContents(QTableView* table, QWidget* window);
// One column wide enough for the longest of these texts (a column whose rows are too many to sample), then the
// window.
void ColumnToTexts(QTableView* table, int column, const QStringList& texts, QWidget* window);
// The window widened so the table shows every visible column without a horizontal scroll bar.
void WidenToTable(QTableView* table, QWidget* window);

} // namespace TableFit
