#include "ui/DialogButtons.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

QPushButton* CommandButton(const QString& caption, const QString& name) {
    auto* button = new QPushButton(caption);
    button->setObjectName(name.isEmpty() ? caption : name);
    button->setAutoDefault(false);
    return button;
}

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
