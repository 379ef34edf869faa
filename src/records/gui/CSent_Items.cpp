#include "records/gui/CSent_Items.h"

#include "records/gui/CExport_Option.h"
#include "records/gui/COpen_Export_Log.h"
#include "records/gui/SentItemsTableModel.h"
#include "sending/gui/CStatus_Export_Opt.h"
#include "session/Session.h"
#include "ui/CPlease_Wail_Modeless.h"
#include "ui/DialogButtons.h"
#include "ui/ListViews.h"
#include "ui/ListWork.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QThreadPool>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace {
const QString kSendToComposer = QStringLiteral("Send selected items to SMS Composer");
} // namespace

CSent_Items::CSent_Items(Session& session, FileOpener& opener, QWidget* parent)
    : QDialog(parent), m_session(session), m_opener(opener), m_controller(session.SentItems(), session.UserPrompter()),
      m_model(new SentItemsTableModel(this)), m_list(new QTableView), m_details(new QPlainTextEdit),
      m_total(new QLabel), m_selected(new QLabel) {
    setObjectName(QStringLiteral("CSent_Items"));
    setWindowTitle(SentItemsController::kTitle);
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);
    m_work = new ListWork(this, [this] { m_total->setText(m_controller.TotalText()); });

    m_list->setObjectName(QStringLiteral("SentItemsList"));
    m_list->setModel(m_model);
    SetUpListView(m_list);
    // The widths are at least the list's own; wider where the font needs it for a whole number or date.
    const QFontMetrics metrics = m_list->fontMetrics();
    const int needed[] = {metrics.horizontalAdvance(QStringLiteral("+000000000000000")) + 16, 260,
                          metrics.horizontalAdvance(QStringLiteral("00/00/0000")) + 16, 0};
    for (int column = 0; column < 4; ++column)
        m_list->setColumnWidth(column, std::max(SentItemsTableModel::kColumnWidths[column], needed[column]));
    m_details->setObjectName(QStringLiteral("Details"));
    m_details->setReadOnly(true);
    m_details->setTabChangesFocus(true);
    m_details->setFixedHeight(m_details->fontMetrics().lineSpacing() * 8 + 12);
    m_total->setText(m_controller.TotalText());
    m_selected->setText(SentItemsController::SelectedText(0));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    auto* counts = new QHBoxLayout;
    counts->addWidget(m_total);
    counts->addSpacing(24);
    counts->addWidget(m_selected);
    counts->addStretch(1);
    auto* toComposer = CommandButton(kSendToComposer);
    counts->addWidget(toComposer);
    layout->addLayout(counts);
    layout->addWidget(new QLabel(QStringLiteral("Select an item to see the message details :")));
    layout->addWidget(m_details);
    auto* buttons = new QHBoxLayout;
    auto* exportButton = CommandButton(QStringLiteral("Export"));
    auto* clearAll = CommandButton(QStringLiteral("Clear All"));
    auto* clearSelected = CommandButton(QStringLiteral("Clear Selected"));
    auto* close = CommandButton(QStringLiteral("Close"));
    for (QPushButton* button : {exportButton, clearAll, clearSelected})
        buttons->addWidget(button);
    buttons->addStretch(1);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    resize(820, 600);

    connect(toComposer, &QPushButton::clicked, this, &CSent_Items::OnSendToComposer);
    connect(exportButton, &QPushButton::clicked, this, &CSent_Items::OnExport);
    connect(clearAll, &QPushButton::clicked, this, &CSent_Items::OnClearAll);
    connect(clearSelected, &QPushButton::clicked, this, &CSent_Items::OnClearSelected);
    connect(close, &QPushButton::clicked, this, &CSent_Items::reject);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this, &CSent_Items::OnCurrentChanged);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this, &CSent_Items::OnSelectionChanged);
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        OnCurrentChanged();
        OnSelectionChanged();
    });
}

CSent_Items::~CSent_Items() = default;

bool CSent_Items::IsBusy() const {
    return m_work->IsBusy();
}

QPushButton* CSent_Items::Button(const QString& caption) const {
    return findChild<QPushButton*>(caption);
}

void CSent_Items::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_loaded && !IsBusy())
        Load();
}

void CSent_Items::Load() {
    m_loaded = true;
    const SentItemsController* controller = &m_controller;
    m_work->Run<SentItemsController::Change>(
        CPlease_Wail_Modeless::kDefaultText, [controller] { return controller->Read(); },
        [this](SentItemsController::Change change) {
            if (m_controller.Apply(change))
                ShowRecords();
            m_list->setFocus();
        });
}

void CSent_Items::RunStep(std::function<SentItemsController::Change()> step) {
    m_work->Run<SentItemsController::Change>(
        CPlease_Wail_Modeless::kDefaultText, std::move(step), [this](SentItemsController::Change change) {
            // The list being replaced is let go on a pool thread: freeing a million entries takes longer than the
            // window may stall.
            auto replaced = std::make_shared<QList<SentItemRecord>>(m_controller.Records());
            if (m_controller.Apply(change))
                ShowRecords();
            QThreadPool::globalInstance()->start([replaced = std::move(replaced)]() mutable { replaced.reset(); });
        });
}

void CSent_Items::ShowRecords() {
    m_model->Show(m_controller.Records());
    m_total->setText(m_controller.TotalText());
}

void CSent_Items::OnCurrentChanged() {
    const QModelIndex current = m_list->currentIndex();
    m_details->setPlainText(current.isValid() ? m_controller.DetailsText(current.row()) : QString());
}

void CSent_Items::OnSelectionChanged() {
    m_selected->setText(SentItemsController::SelectedText(SelectedRowCount(m_list)));
}

// ---- Commands ----

void CSent_Items::OnClearAll() {
    if (IsBusy() || !m_controller.MayClearAll())
        return;
    const SentItemsController* controller = &m_controller;
    RunStep([controller] { return controller->RemoveAll(); });
}

void CSent_Items::OnClearSelected() {
    if (IsBusy())
        return;
    std::vector<qsizetype> rows = SelectedRows(m_list);
    if (!m_controller.MayClearSelected(rows))
        return;
    const SentItemsController* controller = &m_controller;
    RunStep([controller, rows = std::move(rows)] { return controller->Remove(rows); });
}

void CSent_Items::OnSendToComposer() {
    if (IsBusy())
        return;
    const std::vector<qsizetype> rows = SelectedRows(m_list);
    if (!m_controller.MayCopyToComposer(rows))
        return;
    const bool go = m_session.PrepareListFill(QString()).done;
    if (m_listChanged)
        m_listChanged();
    if (!go)
        return;
    Session* session = &m_session;
    const SentItemsController* controller = &m_controller;
    m_work->Run<qsizetype>(
        CPlease_Wail_Modeless::kDefaultText,
        [session, controller, rows] { return session->AddSentItems(controller->RecordsAt(rows)); },
        [this](qsizetype added) {
            if (m_listChanged)
                m_listChanged();
            m_controller.ReportCopy(added);
        });
}

void CSent_Items::OnExport() {
    if (IsBusy() || !m_controller.MayExport())
        return;
    CStatus_Export_Opt filter(this);
    if (filter.exec() != QDialog::Accepted)
        return;
    const auto [from, to] = m_controller.DefaultDuration();
    CExport_Option options(m_controller, from, to, this);
    if (options.exec() != QDialog::Accepted)
        return;
    ExportWith(SpreadsheetExport::FilterFromCode(filter.Filter()).value_or(SpreadsheetExport::Filter::All),
               options.From(), options.To(), options.Format());
}

void CSent_Items::ExportWith(SpreadsheetExport::Filter filter, const QDate& from, const QDate& to,
                             ExportFormat format) {
    QString selected = SentItemsController::DialogFilter(format);
    const QString path = m_chooser.save(this, QStringLiteral("Export"), selected, &selected);
    if (path.isEmpty())
        return;
    ExportTo(filter, from, to, format, PathWithExportExtension(path, format));
}

void CSent_Items::ExportTo(SpreadsheetExport::Filter filter, const QDate& from, const QDate& to, ExportFormat format,
                           const QString& path) {
    if (IsBusy())
        return;
    Prompter* prompter = &m_session.UserPrompter();
    m_work->Run<ExportResult>(
        CPlease_Wail_Modeless::kDefaultText,
        [records = m_controller.Records(), from, to, filter, path, format, prompter] {
            return SentItemsController::Export(records, from, to, filter, path, format, *prompter);
        },
        [this, path](ExportResult result) {
            if (!m_controller.ReportExport(result))
                return;
            auto* done = new COpen_Export_Log(m_opener, path, result.message, this);
            done->setAttribute(Qt::WA_DeleteOnClose);
            done->open();
        });
}

// ---- Closing ----

void CSent_Items::reject() {
    if (!IsBusy())
        QDialog::reject();
}

void CSent_Items::closeEvent(QCloseEvent* event) {
    if (IsBusy()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
