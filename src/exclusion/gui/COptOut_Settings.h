#pragma once

#include <QDialog>

class QComboBox;
class QPlainTextEdit;
class Session;

// "Opt-out Settings": the keywords that make a reply an opt-out, one a line, and the exclusion list their
// senders go on (an existing list or a new name). "OK" keeps them through the Session, which refuses settings
// without a keyword or a usable name.
class COptOut_Settings final : public QDialog {
    Q_OBJECT
public:
    explicit COptOut_Settings(Session& session, QWidget* parent = nullptr);

    QPlainTextEdit* Keywords() const { return m_keywords; }
    QComboBox* List() const { return m_list; }

public Q_SLOTS:
    void accept() override;

private:
    Session& m_session;
    QPlainTextEdit* m_keywords;
    QComboBox* m_list;
};
