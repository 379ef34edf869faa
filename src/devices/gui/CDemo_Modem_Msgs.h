#pragma once

#include <QDialog>

class DemoModems;
class QLabel;
class QTableWidget;

// The demo modems' inbox: every message a demo modem accepted, newest last, with the modem, the recipient
// and the text (a part of a long message marked "[n/total]"). Modeless; lives with the main window.
class CDemo_Modem_Msgs final : public QDialog {
    Q_OBJECT
public:
    explicit CDemo_Modem_Msgs(DemoModems& demos, QWidget* parent = nullptr);
    int MessageCount() const;
    QTableWidget* MessageList() const { return m_list; }

private:
    void OnMessage(int demoIndex, const QString& to, const QString& text);
    void RefreshCaption();

    DemoModems& m_demos;
    QTableWidget* m_list;
    QLabel* m_summary;
};
