#include "ui/TableFit.h"

#include <QApplication>
#include <QHeaderView>
#include <QLayout>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>

#include <algorithm>

namespace TableFit {

namespace {
// Room around a cell's text: the style's margins on both sides.
int CellPadding(const QTableView* table) {
    return 2 * table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table) + 12;
}
} // namespace

void ColumnsToContents(QTableView* table, QWidget* window) {
    QHeaderView* header = table->horizontalHeader();
    for (int c = 0; c < header->count(); ++c) {
        if (table->isColumnHidden(c))
            continue;
        table->resizeColumnToContents(c);
        table->setColumnWidth(c, std::max(table->columnWidth(c), header->sectionSizeHint(c)));
    }
    WidenToTable(table, window);
}

void ColumnToTexts(QTableView* table, int column, const QStringList& texts, QWidget* window) {
    int width = table->horizontalHeader()->sectionSizeHint(column);
    for (const QString& text : texts)
        width = std::max(width, table->fontMetrics().horizontalAdvance(text) + CellPadding(table));
    table->setColumnWidth(column, width);
    WidenToTable(table, window);
}

void WidenToTable(QTableView* table, QWidget* window) {
    if (window->layout() != nullptr)
        window->layout()->activate(); // the table's width as the window's size gives it, shown or not
    QHeaderView* header = table->horizontalHeader();
    int columns = 0;
    for (int c = 0; c < header->count(); ++c) {
        if (!table->isColumnHidden(c))
            columns += header->stretchLastSection() && c == header->count() - 1 ? header->sectionSizeHint(c)
                                                                                 : table->columnWidth(c);
    }
    const int tableWidth = columns + 2 * table->frameWidth() + table->verticalScrollBar()->sizeHint().width() +
                           (table->verticalHeader()->isVisible() ? table->verticalHeader()->width() : 0);
    const int extra = tableWidth - table->width();
    if (extra <= 0)
        return;
    int limit = window->width() + extra;
    if (const QScreen* screen = window->screen() != nullptr ? window->screen() : QApplication::primaryScreen())
        limit = std::min(limit, screen->availableGeometry().width());
    if (limit > window->width())
        window->resize(limit, window->height());
}

} // namespace TableFit
