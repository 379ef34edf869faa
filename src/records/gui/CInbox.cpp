#include "records/gui/CInbox.h"

#include "app/Prompter.h"
#include "exclusion/gui/COptOut_Settings.h"
#include "records/SentItemsController.h"
#include "records/gui/COpen_Export_Log.h"
#include "records/gui/InboxTableModel.h"
#include "session/Session.h"
#include "ui/ListViews.h"
#include "ui/TableFit.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {
const ExportFormat kFormats[] = {ExportFormat::Xls, ExportFormat::Xlsx, ExportFormat::Text, ExportFormat::Html};
} // namespace

CInbox::CInbox(Session& session, FileOpener& opener, QWidget* parent)
    : QDialog(parent), m_session(session), m_opener(opener),
      m_controller(session.Paths().InboxFile(), session.UserPrompter()),
      m_model(new InboxTableModel(m_controller, this)), m_list(new QTableView), m_details(new QPlainTextEdit) {
    setObjectName(QStringLiteral("CInbox"));
    setWindowTitle(QStringLiteral("Inbox"));
    m_list->setModel(m_model);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setWordWrap(false);
    // Rows of one height, so a million of them are laid out without asking each for its size.
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 6);
    // The Text column takes what the others leave: they are fitted to what they hold, a text is shown whole below.
    m_list->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    m_list->setColumnWidth(0, 130);
    m_list->setColumnWidth(1, 150);
    m_list->setColumnWidth(3, 130);
    m_list->setColumnWidth(4, 90);
    m_details->setReadOnly(true);
    auto* buttons = new QHBoxLayout;
    for (const QString& caption : {QStringLiteral("Reply"), QStringLiteral("Delete"), QStringLiteral("Export"),
                                   QStringLiteral("Opt-out Settings"), QStringLiteral("Close")}) {
        auto* button = new QPushButton(caption);
        button->setObjectName(caption);
        buttons->addWidget(button);
    }
    buttons->insertStretch(4, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 3);
    layout->addWidget(m_details, 1);
    layout->addLayout(buttons);
    connect(Button(QStringLiteral("Reply")), &QPushButton::clicked, this, &CInbox::OnReply);
    connect(Button(QStringLiteral("Delete")), &QPushButton::clicked, this, &CInbox::OnDelete);
    connect(Button(QStringLiteral("Export")), &QPushButton::clicked, this, &CInbox::OnExport);
    connect(Button(QStringLiteral("Opt-out Settings")), &QPushButton::clicked, this, &CInbox::OnOptOutSettings);
    connect(Button(QStringLiteral("Close")), &QPushButton::clicked, this, &QDialog::accept);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { ShowSelected(); });
    resize(900, 560);
    Reload();
}

CInbox::~CInbox() = default;

QPushButton* CInbox::Button(const QString& caption) const {
    return findChild<QPushButton*>(caption);
}

void CInbox::Reload() {
    static_cast<void>(m_controller.Reload());
    m_model->Reset();
    m_details->clear();
    FitDeviceColumn();
}

// A device's name must never be cut off. An inbox holds few devices but may hold a million entries, so the
// column is fitted to the devices of the first and the last entries rather than to every row.
void CInbox::FitDeviceColumn() {
    constexpr qsizetype kSample = 200;
    const qsizetype count = m_controller.Count();
    QStringList devices;
    for (qsizetype i = 0; i < count; i = (i + 1 == kSample && count > 2 * kSample) ? count - kSample : i + 1) {
        const QString device = m_controller.Record(i).device;
        if (!devices.contains(device))
            devices.append(device);
    }
    TableFit::ColumnToTexts(m_list, 3, devices, this);
}

void CInbox::ShowSelected() {
    m_details->setPlainText(m_controller.Details(SelectedRows(m_list)));
}

void CInbox::OnReply() {
    const QList<SentItemRecord> entries = m_controller.ReplyEntries(SelectedRows(m_list));
    if (entries.isEmpty())
        return;
    const bool go = m_session.PrepareListFill(QString()).done;
    if (go)
        static_cast<void>(m_session.AddSentItems(entries));
    if (m_listChanged)
        m_listChanged();
    if (go)
        accept(); // back to the main window, where the composer's text goes to them
}

void CInbox::OnDelete() {
    if (m_controller.Delete(SelectedRows(m_list))) {
        m_model->Reset();
        m_details->clear();
    }
}

void CInbox::OnExport() {
    if (!m_controller.MayExport())
        return;
    QStringList filters;
    for (ExportFormat format : kFormats)
        filters << SentItemsController::DialogFilter(format);
    QString selected = filters.front();
    const QString path = m_chooser.save(this, QStringLiteral("Export"), filters.join(QStringLiteral(";;")), &selected);
    if (path.isEmpty())
        return;
    const ExportFormat format = kFormats[std::max<qsizetype>(0, filters.indexOf(selected))];
    const QString target = PathWithExportExtension(path, format);
    const ExportResult result = m_controller.Export(SelectedRows(m_list), target, format);
    if (!result.Ok()) {
        m_session.UserPrompter().Notice(result.message);
        return;
    }
    auto* done = new COpen_Export_Log(m_opener, target, result.message, this);
    done->setAttribute(Qt::WA_DeleteOnClose);
    done->open();
}

void CInbox::OnOptOutSettings() {
    COptOut_Settings settings(m_session, this);
    settings.exec();
}
