#include "ui/FileDialogs.h"

#include "app/UserSettings.h"

#include <QFileDialog>
#include <QFileInfo>

namespace FileDialogs {

namespace {
void Remember(UserSettings& settings, const QString& purpose, const QString& chosen) {
    if (chosen.isEmpty())
        return;
    settings.SetLastFolder(purpose, QFileInfo(chosen).absolutePath());
    settings.Sync();
}
} // namespace

QString OpenFileName(QWidget* parent, UserSettings& settings, const QString& purpose, const QString& caption,
                     const QString& filter, const QString& fallbackFolder) {
    const QString last = settings.LastFolder(purpose);
    const QString chosen =
        QFileDialog::getOpenFileName(parent, caption, last.isEmpty() ? fallbackFolder : last, filter);
    Remember(settings, purpose, chosen);
    return chosen;
}

QString SaveFileName(QWidget* parent, UserSettings& settings, const QString& purpose, const QString& caption,
                     const QString& filter, QString* selectedFilter) {
    const QString chosen =
        QFileDialog::getSaveFileName(parent, caption, settings.LastFolder(purpose), filter, selectedFilter);
    Remember(settings, purpose, chosen);
    return chosen;
}

} // namespace FileDialogs
