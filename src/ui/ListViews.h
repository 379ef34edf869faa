#pragma once

#include <QString>

#include <vector>

class QTableView;

// What the program's lists share: whole-row selection of several rows, grid lines, one line per row, no
// editing, no row numbers, and one fixed row height, so a view over a million rows never measures its rows.
void SetUpListView(QTableView* view);

// The selected rows, ascending without repeats, read from the selection's ranges (never one index per cell).
std::vector<qsizetype> SelectedRows(const QTableView* view);
// How many rows are selected (overlapping ranges counted once).
qsizetype SelectedRowCount(const QTableView* view);

// A text on one line of a list: each line break (CR LF, LF or CR) shown as one space.
QString OneLine(QString text);
