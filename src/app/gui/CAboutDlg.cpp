#include "app/gui/CAboutDlg.h"

#include "app/AppShell.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent), m_name(new QLabel(AppShell::kProductName)),
      m_version(new QLabel(QStringLiteral("Version ") + AppShell::Version())) {
    setObjectName(QStringLiteral("CAboutDlg"));
    setWindowTitle(QStringLiteral("About ") + AppShell::kProductName);
    QFont bold = m_name->font();
    bold.setBold(true);
    bold.setPixelSize(18);
    m_name->setFont(bold);
    m_name->setObjectName(QStringLiteral("ProductName"));
    m_version->setObjectName(QStringLiteral("Version"));

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* icon = new QLabel;
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(48, 48));
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addSpacing(12);
    auto* texts = new QVBoxLayout;
    texts->addWidget(m_name);
    texts->addWidget(m_version);
    texts->addStretch(1);
    top->addLayout(texts, 1);
    layout->addLayout(top);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OK"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    setMinimumWidth(320);
}
