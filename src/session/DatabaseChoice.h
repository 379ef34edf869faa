#pragma once

#include "journal/PgUrl.h"

#include <QString>

#include <optional>

class UserSettings;

// "Send through a job database": whether Send hands the list to the gateway hosts of a job database instead of
// this host's devices, and that database's URL. Both are remembered in the user settings, the URL without its
// password: a password typed in the URL lives only as long as the program (libpq's ~/.pgpass and PGPASSWORD
// still apply to a URL without one), and is never shown again.
class DatabaseChoice {
public:
    explicit DatabaseChoice(UserSettings& settings);

    bool IsOn() const { return m_on; }
    void SetOn(bool on);
    // The URL as typed; false with the reason (which never repeats the text typed) when it names no database.
    bool SetUrl(const QString& text, QString* error);
    // The URL without its password, as the window shows it; empty when none was given.
    QString DisplayUrl() const { return m_url ? m_url->Display() : QString(); }
    const std::optional<PgUrl>& Url() const { return m_url; }

private:
    UserSettings& m_settings;
    bool m_on = false;
    std::optional<PgUrl> m_url;
};
