#pragma once

#include "session/DatabaseChoice.h"

#include <QWidget>

#include <optional>

class Prompter;
class QCheckBox;
class QLineEdit;
class UserSettings;

// The main window's "Send through a job database" check box and its URL field, over DatabaseChoice. The field
// shows the URL without its password once it is entered.
class DatabaseSendRow final : public QWidget {
    Q_OBJECT
public:
    DatabaseSendRow(UserSettings& settings, Prompter& prompter, QWidget* parent = nullptr);

    bool IsOn() const { return m_choice.IsOn(); }
    // The database Send uses; nullopt after telling the user that none is given.
    std::optional<PgUrl> UrlForSend();
    QCheckBox* Check() const { return m_check; }
    QLineEdit* UrlField() const { return m_url; }

private:
    void OnUrlEntered();

    DatabaseChoice m_choice;
    Prompter& m_prompter;
    QCheckBox* m_check;
    QLineEdit* m_url;
};
