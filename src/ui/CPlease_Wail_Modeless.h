#pragma once

#include <QDialog>

class QLabel;

// The modeless please-wait box shown while the main window is disabled behind a long list operation.
class CPlease_Wail_Modeless final : public QDialog {
    Q_OBJECT
public:
    static inline const QString kDefaultText = QStringLiteral("It may take a while, Please wait...");

    explicit CPlease_Wail_Modeless(QWidget* parent = nullptr);
    void SetText(const QString& text);
    QString Text() const;

protected:
    void keyPressEvent(QKeyEvent* event) override; // Esc does not close it
    void closeEvent(QCloseEvent* event) override;  // nor does the title bar

private:
    QLabel* m_label;
};
