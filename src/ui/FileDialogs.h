#pragma once

#include <QString>

class QWidget;
class UserSettings;

// The file dialogs of the windows, each starting in the folder its purpose ("contacts", "export", ...) last
// chose, remembered in the user's settings; the first time in `fallbackFolder`.
namespace FileDialogs {

QString OpenFileName(QWidget* parent, UserSettings& settings, const QString& purpose, const QString& caption,
                     const QString& filter, const QString& fallbackFolder = {});
// selectedFilter, when given, is the filter shown first and receives the one chosen.
QString SaveFileName(QWidget* parent, UserSettings& settings, const QString& purpose, const QString& caption,
                     const QString& filter, QString* selectedFilter = nullptr);

} // namespace FileDialogs
