#pragma once

#include <QDialog>

class FileOpener;
class QCheckBox;
class QLabel;

// "Message": an export is done. Shows the success text with "Open exported file." (checked); OK with the box
// checked opens the file with the program the desktop associates with it.
class COpen_Export_Log final : public QDialog {
    Q_OBJECT
public:
    static inline const QString kDefaultText = QStringLiteral("File has been exported successfully.");

    COpen_Export_Log(FileOpener& opener, QString path, const QString& text = kDefaultText, QWidget* parent = nullptr);
    QCheckBox* OpenCheck() const { return m_open; }

    void accept() override;

private:
    FileOpener& m_opener;
    QString m_path;
    QCheckBox* m_open;
};
