#include "sending/gui/CStatus_Export_Opt.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

CStatus_Export_Opt::CStatus_Export_Opt(QWidget* parent)
    : QDialog(parent), m_all(new QRadioButton(QStringLiteral("All Items"))),
      m_success(new QRadioButton(QStringLiteral("Only Successfully sent items"))),
      m_failed(new QRadioButton(QStringLiteral("Only Failed items"))) {
    setObjectName(QStringLiteral("CStatus_Export_Opt"));
    setWindowTitle(QStringLiteral("Export"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Select any option to Export Sent items:")));
    m_all->setChecked(true);
    for (QRadioButton* option : {m_all, m_success, m_failed})
        layout->addWidget(option);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QString CStatus_Export_Opt::Filter() const {
    if (m_success->isChecked())
        return QStringLiteral("SUC");
    if (m_failed->isChecked())
        return QStringLiteral("FAL");
    return QStringLiteral("ALL");
}
