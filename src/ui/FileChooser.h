#pragma once

#include <QString>

#include <functional>

class QWidget;

// How a window asks for a file to read or write: the desktop's file dialogs, or a test's answers. Filters are
// Qt name filters separated by ";;" ("Text Files(*.txt);;Html Files(*.html)").
struct FileChooser {
    // The chosen path, empty for Cancel; *selectedFilter is the filter shown first and, on return, the one chosen.
    using Ask = std::function<QString(QWidget* parent, const QString& caption, const QString& filters,
                                      QString* selectedFilter)>;

    Ask save;
    Ask open;

    // QFileDialog's save and open dialogs.
    static FileChooser Dialogs();
};
