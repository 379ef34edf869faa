#include "ui/DialogButtons.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

QHBoxLayout* DefaultAndCancelRow(QDialog* dialog, QPushButton* defaultButton) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    defaultButton->setObjectName(defaultButton->text());
    cancel->setObjectName(QStringLiteral("Cancel"));
    defaultButton->setDefault(true);
    row->addWidget(defaultButton);
    row->addWidget(cancel);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return row;
}
