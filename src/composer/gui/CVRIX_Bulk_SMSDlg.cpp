#include "composer/gui/CVRIX_Bulk_SMSDlg.h"

#include "app/AppShell.h"
#include "app/FileOpener.h"
#include "app/Prompter.h"
#include "composer/gui/ContactLoader.h"
#include "composer/gui/ImportWindows.h"
#include "composer/gui/ListEditWindows.h"
#include "composer/gui/RecordsWindows.h"
#include "devices/gui/CDemo_Modem_Msgs.h"
#include "devices/PortEnumerator.h"
#include "devices/gui/DeviceWindows.h"
#include "records/gui/COpen_Export_Log.h"
#include "sending/gui/CQuota_Dlg.h"
#include "sending/gui/SendLauncher.h"
#include "ui/CPlease_Wail_Modeless.h"
#include "ui/ComposerEdit.h"
#include "ui/DemoModems.h"
#include "ui/FileDialogs.h"
#include "ui/GuiComposerTextQuestion.h"
#include "ui/ListWork.h"
#include "ui/MessageSizeInfo.h"
#include "ui/NumberEdit.h"
#include "ui/RecipientTableModel.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace {


// The wait cursor over a command's work on the UI thread.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

CVRIX_Bulk_SMSDlg::CVRIX_Bulk_SMSDlg(Prompter& prompter, DemoModems& demos, Options options, QWidget* parent)
    : QDialog(parent), m_prompter(prompter), m_demos(demos), m_options(std::move(options)) {
    setObjectName(QStringLiteral("CVRIX_Bulk_SMSDlg"));
    setWindowTitle(AppShell::kProductName);
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    if (!m_options.shutdown)
        m_options.shutdown = [] { AppShell::Shutdown(); };
    Session::Options sessionOptions;
    sessionOptions.paths =
        m_options.paths.ApplicationFolder().isEmpty() ? DataPaths::Shared() : m_options.paths;
    sessionOptions.composerQuestion = m_options.composerQuestion;
    if (sessionOptions.composerQuestion == nullptr) {
        m_ownComposerQuestion = std::make_unique<GuiComposerTextQuestion>(this);
        sessionOptions.composerQuestion = m_ownComposerQuestion.get();
    }
    m_session = std::make_unique<Session>(m_prompter, sessionOptions);
    // The choices of the last start; a timing given to the program wins over the remembered one.
    m_session->RestoreChoices();
    if (m_options.timing)
        m_session->SetTiming(*m_options.timing);
    m_opener = std::make_unique<FileOpener>(
        m_prompter, [](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); });
    m_form.Build(this);
    m_listModel = new RecipientTableModel(List(), this);
    m_form.SetListModel(m_listModel);
    m_form.listView->installEventFilter(this);
    m_listWork = new ListWork(this, [this] { RefreshList(); });
    m_listEditWindows = new ListEditWindows(*this, *m_listWork);
    m_deviceWindows = new DeviceWindows(*this, *m_listWork, m_prompter, m_demos);
    m_contactLoader = new ContactLoader(*m_session, *m_listWork, m_prompter, this);
    m_importWindows = new ImportWindows(*this, *m_listWork, m_prompter);
    m_sendLauncher = new SendLauncher(*m_session, m_prompter, this, m_options.clockScale);
    RefreshOptions();
    ConnectUi();
    RefreshDevices();
    RefreshCount();
    OnComposerChanged();
    restoreGeometry(m_session->Settings().WindowGeometry(objectName()));
    if (SendOptions().UseExclusion())
        OnUseExclusionToggled(true); // the remembered option's set is read as turning it on reads it
    m_form.number->setFocus();
    if (m_options.offerResume)
        QTimer::singleShot(0, this, [this] { OfferResume(); });
}

void CVRIX_Bulk_SMSDlg::OfferResume() {
    if (IsSending())
        return;
    DemoModems* demos = &m_demos;
    m_sendLauncher->StartWith(
        [this, demos](const SendCommand::OpenRun& open) {
            m_session->OfferResumeAtStart(
                [demos] { return PortEnumerator::Merge(PortEnumerator().Enumerate(), demos->ExtraPorts()); }, open);
        },
        [this] { RefreshDevices(); });
}

CVRIX_Bulk_SMSDlg::~CVRIX_Bulk_SMSDlg() {
    delete m_sendLauncher; // waits for a send still running, before the session goes
}

bool CVRIX_Bulk_SMSDlg::IsListBusy() const { return m_listWork->IsBusy(); }
bool CVRIX_Bulk_SMSDlg::IsSending() const { return m_sendLauncher->IsRunning(); }
CSMS_Sending* CVRIX_Bulk_SMSDlg::SendingWindow() const { return m_sendLauncher->Window(); }

void CVRIX_Bulk_SMSDlg::ConnectUi() {
    const auto onClick = [this](const QString& caption, auto slot) {
        connect(Button(caption), &QPushButton::clicked, this, slot);
    };
    onClick(QStringLiteral("Add"), &CVRIX_Bulk_SMSDlg::OnAdd);
    onClick(QStringLiteral("Clear Selected"), &CVRIX_Bulk_SMSDlg::OnClearSelected);
    onClick(QStringLiteral("Clear All"), &CVRIX_Bulk_SMSDlg::OnClearAll);
    onClick(QStringLiteral("Reset"), &CVRIX_Bulk_SMSDlg::OnReset);
    onClick(QStringLiteral("Exit"), &CVRIX_Bulk_SMSDlg::OnExit);
    onClick(QStringLiteral("Send"), &CVRIX_Bulk_SMSDlg::OnSend);
    onClick(QStringLiteral("Mobile Phone Connection Wizard"), &CVRIX_Bulk_SMSDlg::OnConnectionWizard);
    onClick(QStringLiteral("Load Contacts From File"), &CVRIX_Bulk_SMSDlg::OnLoadContacts);
    onClick(QStringLiteral("Export"), &CVRIX_Bulk_SMSDlg::OnExportList);
    onClick(QStringLiteral("Add or Paste numbers Manually"), &CVRIX_Bulk_SMSDlg::OnManualAdd);
    onClick(QStringLiteral("Update Selected Messages"), &CVRIX_Bulk_SMSDlg::OnUpdateSelected);
    onClick(QStringLiteral("Apply this message to list items"), &CVRIX_Bulk_SMSDlg::OnApplyMessage);
    connect(Button(ImportWindows::kExcel), &QPushButton::clicked, m_importWindows, &ImportWindows::OnExcelWizard);
    connect(Button(ImportWindows::kExclusion), &QPushButton::clicked, m_importWindows, &ImportWindows::OnExclusion);
    auto* records = new RecordsWindows(*this);
    connect(Button(QStringLiteral("Sent Items")), &QPushButton::clicked, records, &RecordsWindows::OnSentItems);
    connect(Button(QStringLiteral("Inbox")), &QPushButton::clicked, records, &RecordsWindows::OnInbox);
    connect(Button(QStringLiteral("View Templates")), &QPushButton::clicked, records, &RecordsWindows::OnViewTemplates);
    connect(Button(QStringLiteral("Help")), &QPushButton::clicked, records, &RecordsWindows::OnHelp);
    connect(Button(QStringLiteral("About Us")), &QPushButton::clicked, records, &RecordsWindows::OnAbout);

    m_form.ConnectOptions(SendOptions());
    connect(m_form.number, &QLineEdit::returnPressed, this, &CVRIX_Bulk_SMSDlg::OnAdd);
    connect(m_form.composer, &QPlainTextEdit::textChanged, this, &CVRIX_Bulk_SMSDlg::OnComposerChanged);
    connect(m_form.unicode, &QCheckBox::toggled, this, [this](bool on) {
        Composer().SetUnicodeChecked(on);
        OnComposerChanged();
    });
    connect(m_form.messageType, &QComboBox::currentIndexChanged, this, [this](int index) {
        Composer().SetMessageTypeIndex(index);
        RefreshSizeInfo();
    });
    connect(m_form.delayed, &QCheckBox::toggled, this, [this](bool on) {
        SendOptions().SetDelayedDelivery(on);
        RefreshOptions();
    });
    connect(m_form.retry, &QCheckBox::toggled, this, [this](bool on) {
        SendOptions().SetRetries(on);
        RefreshOptions();
    });
    connect(m_form.useExclusion, &QCheckBox::toggled, this, &CVRIX_Bulk_SMSDlg::OnUseExclusionToggled);
    connect(m_form.quotaLink, &QLabel::linkActivated, this, &CVRIX_Bulk_SMSDlg::OnQuota);
    connect(m_form.quota, &QCheckBox::clicked, this, [this](bool on) {
        on ? OnQuota() : SendOptions().SetQuotaManagement(false);
        RefreshOptions();
    });
    connect(m_form.deviceCombo, &QComboBox::currentIndexChanged, this, &CVRIX_Bulk_SMSDlg::RefreshSizeInfo);
    connect(m_form.fixedPauses, &QCheckBox::toggled, this, [this](bool on) { m_session->SetFixedPauses(on); });
    connect(m_form.country, &QComboBox::currentIndexChanged, this, &CVRIX_Bulk_SMSDlg::OnCountryChanged);
    m_form.OnOptionChanged([this] { m_session->RememberChoices(); });
    connect(m_form.wizardLink, &QLabel::linkActivated, this, &CVRIX_Bulk_SMSDlg::OnConnectionWizard);
    connect(m_form.deviceCaption, &QLabel::linkActivated, this, &CVRIX_Bulk_SMSDlg::OnDeviceDetails);
    connect(m_form.deviceText, &QLabel::linkActivated, this, [this] {
        if (!IsListBusy())
            OnDeviceDetails();
    });
    connect(m_form.listView, &QAbstractItemView::doubleClicked, this, &CVRIX_Bulk_SMSDlg::OnUpdateRow);
    // The demo modems' inbox opens with the first demo modem, and from its button afterwards.
    m_demoMessages = new CDemo_Modem_Msgs(m_demos, this);
    QPushButton* demoButton = Button(QStringLiteral("Demo Modem Messages"));
    demoButton->setVisible(m_demos.DemoCount() > 0);
    connect(demoButton, &QPushButton::clicked, m_demoMessages, [this] {
        m_demoMessages->show();
        m_demoMessages->raise();
    });
    connect(&m_demos, &DemoModems::DemoModemsChanged, this, [this, demoButton] {
        if (!demoButton->isVisible() && m_demos.DemoCount() > 0)
            m_demoMessages->show();
        demoButton->setVisible(m_demos.DemoCount() > 0);
    });
}

// ---- Composer and options ----

void CVRIX_Bulk_SMSDlg::OnComposerChanged() {
    Composer().SetText(m_form.composer->toPlainText());
    m_form.counterLabel->setText(Composer().CounterText());
    RefreshSizeInfo();
}

void CVRIX_Bulk_SMSDlg::RefreshSizeInfo() {
    const MessageComposer& composer = Composer();
    const MessageSizeInfo info =
        MessageSizeInfo::Of(composer.Text(), composer.IsUnicodeChecked(), composer.IsFlashSelected(),
                            m_session->IsTextModeEntry(m_form.deviceCombo->currentText()));
    m_form.smsCountLabel->setText(info.CountText());
    m_form.gsmWarning->setVisible(info.hasNonGsm && !composer.IsUnicodeChecked());
}

void CVRIX_Bulk_SMSDlg::RefreshOptions() {
    m_form.ShowOptions(SendOptions());
    m_form.ShowChoices(m_session->FixedPauses(), m_session->Country());
    {
        const QSignalBlocker blockType(m_form.messageType);
        const QSignalBlocker blockUnicode(m_form.unicode);
        m_form.messageType->setCurrentIndex(Composer().MessageTypeIndex());
        m_form.unicode->setChecked(Composer().IsUnicodeChecked());
    }
}

void CVRIX_Bulk_SMSDlg::OnCountryChanged() {
    // Re-keying a large list takes a moment: on a list worker.
    const QString country = m_form.country->currentData().toString();
    Session* session = m_session.get();
    m_listWork->Run(
        CPlease_Wail_Modeless::kDefaultText, [session, country] { session->SetCountry(country); },
        [session] { session->RememberChoices(); });
}

void CVRIX_Bulk_SMSDlg::OnUseExclusionToggled(bool on) {
    SendOptions().SetUseExclusion(on);
    if (!on || IsListBusy())
        return;
    const Session* session = m_session.get();
    m_listWork->Run<ExclusionSetLoad>(
        CPlease_Wail_Modeless::kDefaultText, [session] { return session->ReadExclusionSet(); },
        [this](ExclusionSetLoad load) { m_session->UseExclusionSet(std::move(load)); });
}

// ---- List commands ----

void CVRIX_Bulk_SMSDlg::RefreshList() {
    m_listModel->Refresh();
    RefreshCount();
}

void CVRIX_Bulk_SMSDlg::RefreshCount() { m_form.countLabel->setText(List().UpdateCount()); }

void CVRIX_Bulk_SMSDlg::OnAdd() {
    const Session::Outcome outcome = m_session->AddNumber(m_form.number->text());
    if (outcome.done) {
        RefreshList();
        m_form.number->clear();
    }
    m_form.Focus(outcome.focus);
}

void CVRIX_Bulk_SMSDlg::OnClearSelected() {
    if (IsListBusy())
        return;
    std::vector<qsizetype> rows = m_form.SelectedRows();
    const Session::Outcome outcome = m_session->MayClearSelected(rows);
    if (!outcome.done) {
        m_form.Focus(outcome.focus);
        return;
    }
    const int mark = std::max(0, m_form.listView->currentIndex().row());
    Session* session = m_session.get();
    m_listWork->Run(
        CPlease_Wail_Modeless::kDefaultText, [session, rows = std::move(rows)] { session->RemoveRows(rows); },
        [this, mark] {
            QTableView* view = m_form.listView;
            view->setFocus();
            if (m_listModel->rowCount() > 0) {
                const int row = std::min(mark, m_listModel->rowCount() - 1);
                view->setCurrentIndex(m_listModel->index(row, 0));
                view->selectRow(row);
            }
        });
}

void CVRIX_Bulk_SMSDlg::OnClearAll() {
    if (IsListBusy())
        return;
    const Session::Outcome outcome = m_session->ClearAll();
    RefreshList();
    m_form.Focus(outcome.focus);
}

bool CVRIX_Bulk_SMSDlg::PrepareListFill() {
    const Session::Outcome outcome = m_session->PrepareListFill(m_form.number->text());
    RefreshList();
    if (outcome.done)
        m_form.number->clear();
    m_form.Focus(outcome.focus);
    return outcome.done;
}

void CVRIX_Bulk_SMSDlg::OnLoadContacts() {
    if (IsListBusy() || !PrepareListFill())
        return;
    OnLoadContactsFrom(FileDialogs::OpenFileName(this, m_session->Settings(), QStringLiteral("contacts"),
                                                 QStringLiteral("Load Contacts From File"),
                                                 QStringLiteral("Text & Excel Files(*.txt *.xls *.xlsx)"),
                                                 QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)));
}

void CVRIX_Bulk_SMSDlg::OnLoadContactsFrom(const QString& path) { m_contactLoader->Load(path); }

// ---- List editing windows ----

void CVRIX_Bulk_SMSDlg::OnManualAdd() { m_listEditWindows->OnManualAdd(); }
void CVRIX_Bulk_SMSDlg::OnApplyMessage() { m_listEditWindows->OnApplyMessage(); }
void CVRIX_Bulk_SMSDlg::OnUpdateSelected() { m_listEditWindows->OnUpdateSelected(); }
void CVRIX_Bulk_SMSDlg::OnUpdateRow() { m_listEditWindows->OnUpdateRow(); }

// ---- Export, quota ----

void CVRIX_Bulk_SMSDlg::OnExportList() {
    if (IsListBusy())
        return;
    const Session::Outcome outcome = m_session->MayExportList();
    if (!outcome.done) {
        m_form.Focus(outcome.focus);
        return;
    }
    const QString xls = QStringLiteral("Excel(97-2003) Files(*.xls)");
    const QString xlsx = QStringLiteral("Excel Files(*.xlsx)");
    QString selected = xls;
    const QString path = FileDialogs::SaveFileName(this, m_session->Settings(), QStringLiteral("export"),
                                                   QStringLiteral("Export"), xls + QStringLiteral(";;") + xlsx,
                                                   &selected);
    if (path.isEmpty())
        return;
    const SpreadsheetExport::Format format = SpreadsheetExport::FormatOfFilterIndex(selected == xlsx ? 1 : 0);
    ExportListTo(SpreadsheetExport::PathWithExtension(path, format), format);
}

void CVRIX_Bulk_SMSDlg::ExportListTo(const QString& path, SpreadsheetExport::Format format) {
    if (IsListBusy())
        return;
    Session* session = m_session.get();
    m_listWork->Run<ExportResult>(
        CPlease_Wail_Modeless::kDefaultText, [session, path, format] { return session->ExportList(path, format); },
        [this, path](ExportResult result) {
            if (!result.Ok()) {
                m_prompter.Notice(result.message);
            } else {
                auto* done = new COpen_Export_Log(*m_opener, path, result.message, this);
                done->setAttribute(Qt::WA_DeleteOnClose);
                done->open();
            }
            Q_EMIT ListExported(result.Ok());
        });
}

void CVRIX_Bulk_SMSDlg::OnQuota() {
    if (IsListBusy() || !m_session->MayOpenQuota())
        return;
    CQuota_Dlg quota(Devices().SelectedDevicesText(), Quota(), SendOptions(), List().Count(), m_prompter, this);
    if (quota.exec() == QDialog::Accepted)
        RefreshOptions();
}

// ---- Devices ----

void CVRIX_Bulk_SMSDlg::RefreshDevices() {
    m_form.ShowDevices(m_session->DeviceDisplay());
    RefreshSizeInfo();
}

void CVRIX_Bulk_SMSDlg::OnConnectionWizard() { m_deviceWindows->OnConnectionWizard(); }
void CVRIX_Bulk_SMSDlg::OnDeviceDetails() { m_deviceWindows->OnDeviceDetails(); }
void CVRIX_Bulk_SMSDlg::OnLoadPhonebook(int slot) { m_deviceWindows->OnLoadPhonebook(slot); }

// ---- Send, Reset, Exit ----

void CVRIX_Bulk_SMSDlg::OnSend() {
    if (IsSending())
        return;
    SendCommand::CheckResult result;
    {
        const WaitCursor wait;
        const Session::DeviceView view = m_session->DeviceDisplay();
        result = m_session->CheckSend({m_form.number->text(), view.text, m_form.deviceCombo->currentText(),
                                       IsListBusy()});
    }
    // The changed-text question may have written the composer text into rows.
    m_listModel->RowsEdited();
    if (result.outcome == SendCommand::Outcome::Refused && result.message == SendCommand::kInvalidNumber)
        m_form.number->clear();
    m_form.Focus(result.focus);
    if (result.outcome != SendCommand::Outcome::Ready)
        return;
    m_form.number->clear();
    m_sendLauncher->Start(
        std::move(result.plan), [this] { ClearFieldsAfterSend(); },
        [this](SendCommand::RunOutcome outcome) {
            if (outcome == SendCommand::RunOutcome::Finished) {
                raise();
                activateWindow();
            }
        });
}

void CVRIX_Bulk_SMSDlg::ClearFieldsAfterSend() {
    m_session->ClearFieldsAfterSend();
    m_form.number->clear();
    m_form.composer->clear();
    RefreshList();
    OnComposerChanged();
}

void CVRIX_Bulk_SMSDlg::OnReset() {
    if (IsListBusy())
        return;
    const SendCommand::ResetResult result = m_session->Reset(IsListBusy());
    if (!result.done)
        return;
    CPlease_Wail_Modeless* pleaseWait = m_listWork->PleaseWait();
    pleaseWait->SetText(CPlease_Wail_Modeless::kDefaultText);
    pleaseWait->show();
    m_form.number->clear();
    {
        const QSignalBlocker blockComposer(m_form.composer);
        m_form.composer->clear();
    }
    RefreshOptions();
    m_session->RememberChoices();
    m_form.number->setEnabled(true);
    m_form.composer->setEnabled(true);
    m_listModel->Refresh();
    m_form.countLabel->setText(result.countText);
    m_form.counterLabel->setText(result.counterText);
    RefreshSizeInfo();
    pleaseWait->hide();
    m_form.Focus(result.focus);
}

void CVRIX_Bulk_SMSDlg::OnExit() {
    if (IsListBusy())
        return;
    if (isMinimized())
        showNormal();
    if (!m_session->ConfirmExit())
        return;
    m_session->RememberChoices();
    m_session->Settings().SetWindowGeometry(objectName(), saveGeometry());
    m_session->Settings().Sync();
    m_options.shutdown();
}

// ---- Keys and closing ----

bool CVRIX_Bulk_SMSDlg::eventFilter(QObject* watched, QEvent* event) {
    QTableView* view = m_form.listView;
    if (watched == view && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete) {
            OnClearSelected();
            return true;
        }
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && view->currentIndex().isValid()) {
            OnUpdateRow();
            return true;
        }
    }
    if (watched == view && event->type() == QEvent::FocusIn && !view->currentIndex().isValid() &&
        m_listModel->rowCount() > 0) {
        view->setCurrentIndex(m_listModel->index(0, 0));
        view->selectRow(0);
    }
    return QDialog::eventFilter(watched, event);
}

void CVRIX_Bulk_SMSDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CVRIX_Bulk_SMSDlg::reject() {
    // Esc is ignored; the window closes only through Exit.
}

void CVRIX_Bulk_SMSDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
    OnExit();
}
