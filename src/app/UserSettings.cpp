#include "app/UserSettings.h"

#include <QSettings>

namespace {
QString Key(const char* group, const QString& key) { return QString::fromLatin1(group) + QLatin1Char('/') + key; }
} // namespace

UserSettings::UserSettings(const QString& path) : m_settings(std::make_unique<QSettings>(path, QSettings::IniFormat)) {}

UserSettings::~UserSettings() = default;

QVariant UserSettings::Option(const QString& key, const QVariant& fallback) const {
    return m_settings->value(Key("Options", key), fallback);
}

void UserSettings::SetOption(const QString& key, const QVariant& value) { m_settings->setValue(Key("Options", key), value); }

bool UserSettings::HasOption(const QString& key) const { return m_settings->contains(Key("Options", key)); }

QByteArray UserSettings::WindowGeometry(const QString& window) const {
    return m_settings->value(Key("Windows", window)).toByteArray();
}

void UserSettings::SetWindowGeometry(const QString& window, const QByteArray& geometry) {
    m_settings->setValue(Key("Windows", window), geometry);
}

QString UserSettings::LastFolder(const QString& purpose) const {
    return m_settings->value(Key("Folders", purpose)).toString();
}

void UserSettings::SetLastFolder(const QString& purpose, const QString& folder) {
    m_settings->setValue(Key("Folders", purpose), folder);
}

QStringList UserSettings::ChosenImeis() const { return m_settings->value(QStringLiteral("Devices/Imeis")).toStringList(); }

void UserSettings::SetChosenImeis(const QStringList& imeis) {
    m_settings->setValue(QStringLiteral("Devices/Imeis"), imeis);
}

void UserSettings::Sync() { m_settings->sync(); }
