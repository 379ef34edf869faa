#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

class QSettings;

// The user's choices kept across starts, in an INI file (QSettings): the sending options, the modem timing
// choice, the default country for comparing numbers, the windows' sizes, the folders last used and the devices
// last chosen (by IMEI). Values are plain keys under groups; a key never written reads as its default. Used
// from one thread (the desktop program's window thread, or a command).
class UserSettings {
public:
    explicit UserSettings(const QString& path);
    ~UserSettings();
    UserSettings(const UserSettings&) = delete;
    UserSettings& operator=(const UserSettings&) = delete;

    // A value of the "Options" group (e.g. "SkipDuplicates"); `fallback` when it was never written.
    QVariant Option(const QString& key, const QVariant& fallback = {}) const;
    void SetOption(const QString& key, const QVariant& value);
    bool HasOption(const QString& key) const;

    // A window's saved geometry (QWidget::saveGeometry), empty when never saved.
    QByteArray WindowGeometry(const QString& window) const;
    void SetWindowGeometry(const QString& window, const QByteArray& geometry);

    // The folder a file dialog of that purpose last chose ("contacts", "export"), empty when none.
    QString LastFolder(const QString& purpose) const;
    void SetLastFolder(const QString& purpose, const QString& folder);

    // The IMEIs of the devices last taken into use.
    QStringList ChosenImeis() const;
    void SetChosenImeis(const QStringList& imeis);

    // Writes pending changes to the file now (they are written on destruction too).
    void Sync();

private:
    std::unique_ptr<QSettings> m_settings;
};
