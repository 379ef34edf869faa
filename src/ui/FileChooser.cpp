#include "ui/FileChooser.h"

#include <QFileDialog>

FileChooser FileChooser::Dialogs() {
    FileChooser chooser;
    chooser.save = [](QWidget* parent, const QString& caption, const QString& filters, QString* selectedFilter) {
        return QFileDialog::getSaveFileName(parent, caption, QString(), filters, selectedFilter);
    };
    chooser.open = [](QWidget* parent, const QString& caption, const QString& filters, QString* selectedFilter) {
        return QFileDialog::getOpenFileName(parent, caption, QString(), filters, selectedFilter);
    };
    return chooser;
}
