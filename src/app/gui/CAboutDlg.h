#pragma once

#include <QDialog>

class QLabel;

// "About VRIX Bulk SMS": the product's name and version, and OK.
class CAboutDlg final : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    QLabel* NameLabel() const { return m_name; }
    QLabel* VersionLabel() const { return m_version; }

private:
    QLabel* m_name;
    QLabel* m_version;
};
