#include "ui/ListViews.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>

#include <algorithm>
#include <utility>

namespace {

// The selection's row ranges [top, bottom], sorted and merged.
std::vector<std::pair<int, int>> MergedRanges(const QTableView* view) {
    std::vector<std::pair<int, int>> ranges;
    if (view->selectionModel() == nullptr)
        return ranges;
    for (const QItemSelectionRange& range : view->selectionModel()->selection())
        ranges.emplace_back(range.top(), range.bottom());
    std::sort(ranges.begin(), ranges.end());
    std::vector<std::pair<int, int>> merged;
    for (const auto& range : ranges) {
        if (!merged.empty() && range.first <= merged.back().second + 1)
            merged.back().second = std::max(merged.back().second, range.second);
        else
            merged.push_back(range);
    }
    return merged;
}

} // namespace

void SetUpListView(QTableView* view) {
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setShowGrid(true);
    view->setWordWrap(false);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->setVisible(false);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    view->horizontalHeader()->setStretchLastSection(true);
    view->horizontalHeader()->setHighlightSections(false);
}

std::vector<qsizetype> SelectedRows(const QTableView* view) {
    std::vector<qsizetype> rows;
    const auto ranges = MergedRanges(view);
    qsizetype count = 0;
    for (const auto& [top, bottom] : ranges)
        count += bottom - top + 1;
    rows.reserve(static_cast<size_t>(count));
    for (const auto& [top, bottom] : ranges) {
        for (int row = top; row <= bottom; ++row)
            rows.push_back(row);
    }
    return rows;
}

qsizetype SelectedRowCount(const QTableView* view) {
    qsizetype count = 0;
    for (const auto& [top, bottom] : MergedRanges(view))
        count += bottom - top + 1;
    return count;
}

QString OneLine(QString text) {
    text.replace(QLatin1String("\r\n"), QStringLiteral(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return text;
}
