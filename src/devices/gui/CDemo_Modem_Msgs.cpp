#include "devices/gui/CDemo_Modem_Msgs.h"

#include "ui/DemoModems.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTime>
#include <QVBoxLayout>

namespace {
// Beyond this many rows the oldest go: the window is a live view, not a log.
constexpr int kMaxRows = 20000;
} // namespace

CDemo_Modem_Msgs::CDemo_Modem_Msgs(DemoModems& demos, QWidget* parent)
    : QDialog(parent), m_demos(demos), m_list(new QTableWidget(0, 4)), m_summary(new QLabel) {
    setObjectName(QStringLiteral("CDemo_Modem_Msgs"));
    setWindowTitle(QStringLiteral("Demo Modem - Received Messages"));
    setModal(false);
    m_list->setObjectName(QStringLiteral("MessageList"));
    m_list->setHorizontalHeaderLabels(
        {QStringLiteral("Time"), QStringLiteral("Demo Modem"), QStringLiteral("To"), QStringLiteral("Message")});
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->verticalHeader()->setVisible(false);
    m_list->setWordWrap(false);
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->setColumnWidth(0, 80);
    m_list->setColumnWidth(1, 110);
    m_list->setColumnWidth(2, 140);
    auto* layout = new QVBoxLayout(this);
    auto* note = new QLabel(QStringLiteral("Demo modems are simulated inside this program: nothing is sent to a "
                                           "network. Every message they accept is listed here."));
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_summary);
    auto* clear = new QPushButton(QStringLiteral("Clear"));
    clear->setAutoDefault(false);
    layout->addWidget(clear, 0, Qt::AlignRight);
    connect(clear, &QPushButton::clicked, this, [this] {
        m_list->setRowCount(0);
        RefreshCaption();
    });
    connect(&m_demos, &DemoModems::MessageReceived, this, &CDemo_Modem_Msgs::OnMessage);
    connect(&m_demos, &DemoModems::DemoModemsChanged, this, &CDemo_Modem_Msgs::RefreshCaption);
    resize(620, 380);
    RefreshCaption();
}

int CDemo_Modem_Msgs::MessageCount() const {
    return m_list->rowCount();
}

void CDemo_Modem_Msgs::OnMessage(int demoIndex, const QString& to, const QString& text) {
    if (m_list->rowCount() >= kMaxRows)
        m_list->removeRow(0);
    const int row = m_list->rowCount();
    m_list->insertRow(row);
    m_list->setItem(row, 0, new QTableWidgetItem(QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))));
    m_list->setItem(row, 1, new QTableWidgetItem(QStringLiteral("Demo Modem %1").arg(demoIndex + 1)));
    m_list->setItem(row, 2, new QTableWidgetItem(to));
    m_list->setItem(row, 3, new QTableWidgetItem(text));
    m_list->scrollToBottom();
    RefreshCaption();
}

void CDemo_Modem_Msgs::RefreshCaption() {
    m_summary->setText(
        QStringLiteral("%1 demo modem(s), %2 message(s) received.").arg(m_demos.DemoCount()).arg(m_list->rowCount()));
}
