#include "records/gui/COpen_Export_Log.h"

#include "app/FileOpener.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

COpen_Export_Log::COpen_Export_Log(FileOpener& opener, QString path, const QString& text, QWidget* parent)
    : QDialog(parent), m_opener(opener), m_path(std::move(path)),
      m_open(new QCheckBox(QStringLiteral("Open exported file."))) {
    setObjectName(QStringLiteral("COpen_Export_Log"));
    setWindowTitle(QStringLiteral("Message"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* icon = new QLabel;
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    top->addWidget(icon, 0, Qt::AlignTop);
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    top->addWidget(label, 1);
    layout->addLayout(top);
    m_open->setChecked(true);
    layout->addWidget(m_open);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &COpen_Export_Log::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void COpen_Export_Log::accept() {
    if (m_open->isChecked())
        static_cast<void>(m_opener.Open(m_path));
    QDialog::accept();
}
