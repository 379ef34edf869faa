#include "records/gui/CInbox.h"

#include "records/gui/InboxTableModel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <set>

CInbox::CInbox(const QString& inboxPath, QWidget* parent)
    : QDialog(parent), m_store(inboxPath), m_model(new InboxTableModel(this)), m_list(new QTableView),
      m_details(new QPlainTextEdit) {
    setWindowTitle(QStringLiteral("Inbox"));
    m_list->setModel(m_model);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_details->setReadOnly(true);
    auto* buttons = new QHBoxLayout;
    for (const QString& caption : {QStringLiteral("Delete"), QStringLiteral("Close")}) {
        auto* button = new QPushButton(caption);
        button->setObjectName(caption);
        buttons->addWidget(button);
    }
    buttons->insertStretch(0, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 3);
    layout->addWidget(m_details, 1);
    layout->addLayout(buttons);
    connect(Button(QStringLiteral("Delete")), &QPushButton::clicked, this, &CInbox::OnDelete);
    connect(Button(QStringLiteral("Close")), &QPushButton::clicked, this, &QDialog::accept);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { ShowSelected(); });
    resize(820, 520);
    Reload();
}

QPushButton* CInbox::Button(const QString& caption) const {
    return findChild<QPushButton*>(caption);
}

void CInbox::Reload() {
    QList<InboxRecord> records;
    FileError error;
    if (!m_store.Load(&records, &error))
        QMessageBox::information(this, QStringLiteral("Message"), FileErrorText(error));
    m_model->Show(std::move(records));
    m_details->clear();
}

void CInbox::ShowSelected() {
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    if (rows.size() != 1) {
        m_details->clear();
        return;
    }
    const InboxRecord& r = m_model->Records().at(rows.first().row());
    QString text = QStringLiteral("From: %1\nDevice: %2\nSent: %3\nReceived: %4\nKind: %5\n\n")
                       .arg(r.number, r.device, r.sent, r.received, InboxTableModel::KindText(r));
    text += r.text;
    if (!r.reason.isEmpty())
        text += QStringLiteral("\n\nNote: ") + r.reason;
    if (!r.raw.isEmpty())
        text += QStringLiteral("\n\nPDU: ") + r.raw;
    m_details->setPlainText(text);
}

void CInbox::OnDelete() {
    std::set<int> selected;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows())
        selected.insert(index.row());
    if (selected.empty())
        return;
    QList<InboxRecord> kept;
    const QList<InboxRecord>& all = m_model->Records();
    for (int i = 0; i < all.size(); ++i)
        if (!selected.count(i))
            kept << all.at(i);
    FileError error;
    if (!m_store.Rewrite(kept, &error)) {
        QMessageBox::information(this, QStringLiteral("Message"), FileErrorText(error));
        return;
    }
    m_model->Show(std::move(kept));
    m_details->clear();
}
