#include "exclusion/ExclusionWizardController.h"

#include "exclusion/ExclusionListRules.h"
#include "exclusion/ExclusionStore.h"

#include "app/Prompter.h"

#include <algorithm>
#include <memory>
#include <utility>

const QString ExclusionWizardController::kListsText = QStringLiteral(
    "Exclusion List Wizard allows you to maintain the Lists of contacts or Groups, which you may need to exclude "
    "time to time when sending messages.\n\nFor Example, if you have lists of contacts of Marketing, "
    "Administration, R & D and Customer Care Team members and you want to send messages to all the teams "
    "\u2018Except\u2019 Administration team, you can apply exclusion rules to Administration team members contacts "
    "list.");

namespace {

// The names at the given rows, in list order, each once; rows outside the list are left out.
QStringList NamesAt(const QStringList& names, QList<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QStringList picked;
    for (const int row : rows) {
        if (row >= 0 && row < names.size())
            picked << names.at(row);
    }
    return picked;
}

} // namespace

ExclusionWizardController::ExclusionWizardController(ExclusionStore& store, Prompter& prompter, Hooks hooks,
                                                     const ReaderLimits& limits)
    : m_store(store), m_prompter(prompter), m_hooks(std::move(hooks)), m_import(m_numbers, prompter, limits) {}

ExclusionWizardController::Field ExclusionWizardController::Refuse(const QString& message, Field field) {
    m_prompter.Notice(message);
    return field;
}

void ExclusionWizardController::Open() {
    m_store.Paths().EnsureDataFiles();
    const ExclusionStoreLines index = m_store.ListNames();
    if (!index.status.Ok())
        m_prompter.Notice(index.status.Text());
    m_available = index.lines;
    const ExclusionStoreLines applied = m_store.AppliedNames();
    if (!applied.status.Ok())
        m_prompter.Notice(applied.status.Text());
    m_applied = applied.lines;
}

QString ExclusionWizardController::CurrentListText() const {
    return kCurrentListCaption + m_currentName;
}

QString ExclusionWizardController::CountText() const {
    if (m_importing)
        return QStringLiteral("Total Numbers : %1").arg(m_countBeforeImport + m_import.Taken());
    return QStringLiteral("Total Numbers : %1").arg(m_count);
}

// ---- Lists page ----

ExclusionWizardController::Field ExclusionWizardController::AddSelected(const QList<int>& rows) {
    if (m_busy)
        return Field::None;
    if (m_available.isEmpty())
        return Refuse(kAvailableEmpty, Field::Available);
    const QStringList selected = NamesAt(m_available, rows);
    if (selected.isEmpty())
        return Refuse(kNoAvailableSelected, Field::Available);
    qsizetype added = 0;
    for (const QString& name : selected) {
        if (!m_applied.contains(name)) {
            m_applied << name;
            ++added;
        }
    }
    if (added == 0)
        return Refuse(kAlreadyInUse, Field::Available);
    m_appliedChanged = true;
    return Field::None;
}

ExclusionWizardController::Field ExclusionWizardController::AddAll() {
    if (m_busy)
        return Field::None;
    if (m_available.isEmpty())
        return Refuse(kAvailableEmpty, Field::Available);
    qsizetype added = 0;
    for (const QString& name : std::as_const(m_available)) {
        if (!m_applied.contains(name)) {
            m_applied << name;
            ++added;
        }
    }
    if (added == 0)
        return Refuse(kAllInUse, Field::Available);
    m_appliedChanged = true;
    return Field::None;
}

ExclusionWizardController::Field ExclusionWizardController::RemoveSelected(const QList<int>& rows) {
    if (m_busy)
        return Field::None;
    if (m_applied.isEmpty())
        return Refuse(kAppliedEmpty, Field::Applied);
    const QStringList selected = NamesAt(m_applied, rows);
    if (selected.isEmpty())
        return Refuse(kNoAppliedSelected, Field::Applied);
    for (const QString& name : selected)
        m_applied.removeOne(name);
    m_appliedChanged = true;
    return Field::None;
}

ExclusionWizardController::Field ExclusionWizardController::RemoveAll() {
    if (m_busy)
        return Field::None;
    if (m_applied.isEmpty())
        return Refuse(kAppliedEmpty, Field::Applied);
    m_applied.clear();
    m_appliedChanged = true;
    return Field::None;
}

bool ExclusionWizardController::WriteApplied() {
    m_store.Paths().EnsureDataFiles();
    if (const ExclusionStoreStatus status = m_store.SaveApplied(m_applied); !status.Ok()) {
        m_prompter.Notice(status.Text());
        return false;
    }
    m_appliedChanged = false;
    m_storedChanged = true;
    return true;
}

void ExclusionWizardController::SaveApplied() {
    if (!m_busy && m_prompter.Confirm(kContinueQuestion))
        static_cast<void>(WriteApplied());
}

void ExclusionWizardController::AddNew() {
    if (m_busy)
        return;
    m_currentName.clear();
    m_page = Page::Name;
}

ExclusionWizardController::Field ExclusionWizardController::Update(const QList<int>& rows) {
    if (m_busy)
        return Field::None;
    if (m_available.isEmpty())
        return Refuse(kAvailableEmpty, Field::Available);
    const QStringList selected = NamesAt(m_available, rows);
    if (selected.isEmpty())
        return Refuse(kNoAvailableSelected, Field::Available);
    if (selected.size() > 1)
        return Refuse(kOnlyOne, Field::Available);
    OpenList(selected.first());
    return Field::None;
}

ExclusionWizardController::Field ExclusionWizardController::UpdateApplied(int row) {
    if (m_busy)
        return Field::None;
    if (m_applied.isEmpty())
        return Refuse(kAppliedEmpty, Field::Applied);
    if (row < 0 || row >= m_applied.size())
        return Refuse(kNoAppliedSelected, Field::Applied);
    OpenList(m_applied.at(row));
    return Field::None;
}

void ExclusionWizardController::OpenList(const QString& name) {
    struct Loaded {
        ExclusionStoreStatus status;
        ExclusionNumberList numbers;
    };
    auto loaded = std::make_shared<Loaded>();
    m_busy = true;
    m_hooks.run(
        kWaitText,
        [loaded, store = &m_store, name] {
            ExclusionStoreLines lines = store->LoadList(name);
            loaded->status = lines.status;
            if (lines.status.Ok())
                loaded->numbers = ExclusionNumberList(lines.lines);
        },
        [this, loaded, name] {
            m_busy = false;
            if (!loaded->status.Ok()) {
                m_prompter.Notice(loaded->status.Text());
                return;
            }
            m_numbers = std::move(loaded->numbers);
            Refreshed();
            m_currentName = name;
            m_newList = false;
            m_numbersChanged = false;
            m_page = Page::Numbers;
        });
}

ExclusionWizardController::Field ExclusionWizardController::Delete(const QList<int>& rows) {
    if (m_busy)
        return Field::None;
    if (m_available.isEmpty())
        return Refuse(kAvailableEmpty, Field::Available);
    const QStringList selected = NamesAt(m_available, rows);
    if (selected.isEmpty())
        return Refuse(kNoAvailableSelected, Field::Available);
    if (!m_prompter.Confirm(kDeleteQuestion))
        return Field::None;
    const ExclusionStoreStatus status = m_store.DeleteLists(selected);
    // A list whose file could not be deleted keeps its name in the index; the applied lists shown keep any
    // change not saved yet, less the lists that are gone.
    const ExclusionStoreLines index = m_store.ListNames();
    if (index.status.Ok())
        m_available = index.lines;
    for (const QString& name : selected) {
        if (!m_available.contains(name))
            m_applied.removeAll(name);
    }
    m_storedChanged = true;
    if (!status.Ok())
        m_prompter.Notice(status.Text());
    else if (!index.status.Ok())
        m_prompter.Notice(index.status.Text());
    return Field::None;
}

// ---- Name page ----

ExclusionWizardController::Field ExclusionWizardController::NameNext(const QString& name) {
    if (m_busy)
        return Field::None;
    if (const ListNameError error = CheckListName(name, m_available); error != ListNameError::None)
        return Refuse(ListNameErrorText(error), Field::Name);
    m_currentName = name.trimmed();
    m_numbers.Clear();
    Refreshed();
    m_newList = true;
    m_numbersChanged = false;
    m_page = Page::Numbers;
    return Field::None;
}

void ExclusionWizardController::NameBack() {
    if (!m_busy && m_page == Page::Name)
        m_page = Page::Lists;
}

// ---- Numbers page ----

bool ExclusionWizardController::AddNumber(const QString& text) {
    if (m_busy)
        return false;
    if (const ExclusionNumberError error = m_numbers.AddTyped(text); error != ExclusionNumberError::None) {
        m_prompter.Notice(ExclusionNumberErrorText(error));
        return false;
    }
    NumbersChangedBy(1);
    return true;
}

std::optional<qsizetype> ExclusionWizardController::MayUpdateNumber(const std::vector<qsizetype>& rows) {
    if (m_busy)
        return std::nullopt;
    if (m_numbers.IsEmpty()) {
        m_prompter.Notice(ExclusionExport::kEmptyList);
        return std::nullopt;
    }
    if (rows.empty() || rows.front() < 0 || rows.front() >= m_numbers.Count()) {
        m_prompter.Notice(kNoNumberSelected);
        return std::nullopt;
    }
    return rows.front();
}

bool ExclusionWizardController::ReplaceNumber(qsizetype row, const QString& text) {
    if (m_busy || row < 0 || row >= m_numbers.Count())
        return false;
    const bool unchanged = text.trimmed() == m_numbers.Numbers().at(row);
    if (const ExclusionNumberError error = m_numbers.Replace(row, text); error != ExclusionNumberError::None) {
        m_prompter.Notice(ExclusionNumberErrorText(error));
        return false;
    }
    if (!unchanged)
        NumbersChangedBy(1);
    return true;
}

ExclusionWizardController::Field ExclusionWizardController::RemoveNumbers(std::vector<qsizetype> rows) {
    if (m_busy)
        return Field::None;
    if (m_numbers.IsEmpty())
        return Refuse(ExclusionExport::kEmptyList, Field::Numbers);
    if (rows.empty())
        return Refuse(kNoNumbersSelected, Field::Numbers);
    m_busy = true;
    m_hooks.run(
        kWaitText, [numbers = &m_numbers, rows = std::move(rows)]() mutable { numbers->RemoveRows(std::move(rows)); },
        [this] {
            m_busy = false;
            NumbersChangedBy(1);
        });
    return Field::None;
}

bool ExclusionWizardController::ChooseFile(const QString& path) {
    return !m_busy && !path.isEmpty() && m_import.CheckChosenFile(path);
}

void ExclusionWizardController::Load(const QString& path) {
    if (m_busy)
        return;
    const std::optional<ExclusionNumberImport::Kind> kind = m_import.CheckLoadPath(path);
    if (!kind)
        return;
    m_busy = true;
    m_importing = true;
    m_countBeforeImport = m_numbers.Count();
    auto outcome = std::make_shared<ExclusionNumberImport::Outcome>();
    ExclusionNumberImport* import = &m_import;
    if (*kind == ExclusionNumberImport::Kind::Text) {
        m_hooks.run(
            kWaitText, [outcome, import, path] { *outcome = import->RunText(path); },
            [this, outcome] { ImportDone(*outcome); });
        return;
    }
    auto sheets = std::make_shared<QStringList>();
    auto named = std::make_shared<bool>(false);
    m_hooks.run(
        kWaitText, [sheets, named, import, path] { *named = import->ReadSheetNames(path, sheets.get()); },
        [this, sheets, named, outcome, import, path] {
            if (!*named) {
                ImportDone(*outcome);
                return;
            }
            m_hooks.pickColumns(path, *sheets, [this, outcome, import, path](ColumnChoice choice) {
                if (!choice) {
                    ImportDone(*outcome);
                    return;
                }
                m_hooks.run(
                    kWaitText,
                    [outcome, import, path, choice = *choice] { *outcome = import->RunWorkbook(path, choice); },
                    [this, outcome] { ImportDone(*outcome); });
            });
        });
}

void ExclusionWizardController::ImportDone(const ExclusionNumberImport::Outcome& outcome) {
    m_busy = false;
    m_importing = false;
    if (outcome.taken > 0)
        NumbersChangedBy(outcome.taken);
}

bool ExclusionWizardController::MayExport() {
    if (m_busy)
        return false;
    if (m_numbers.IsEmpty()) {
        m_prompter.Notice(ExclusionExport::kEmptyList);
        return false;
    }
    return true;
}

void ExclusionWizardController::Export(const QString& path, int filterIndex) {
    const std::optional<ExclusionExport::Format> format = ExclusionExport::FormatOfFilterIndex(filterIndex);
    if (m_busy || path.isEmpty() || !format)
        return;
    const QString target = ExclusionExport::PathWithExtension(path, *format);
    auto result = std::make_shared<ExportResult>();
    m_busy = true;
    m_hooks.run(
        kWaitText,
        [result, numbers = m_numbers.Numbers(), target, format = *format, prompter = &m_prompter] {
            *result = ExclusionExport::Write(numbers, target, format, *prompter);
        },
        [this, result, target] {
            m_busy = false;
            if (!result->Ok()) {
                m_prompter.Notice(result->message);
                return;
            }
            if (m_hooks.exported)
                m_hooks.exported(target, result->message);
        });
}

void ExclusionWizardController::Save() {
    if (m_busy)
        return;
    if (m_numbers.IsEmpty()) {
        m_prompter.Notice(ExclusionExport::kEmptyList);
        return;
    }
    if (m_prompter.Confirm(kContinueQuestion))
        WriteNumbers([] {});
}

void ExclusionWizardController::WriteNumbers(std::function<void()> then) {
    auto status = std::make_shared<ExclusionStoreStatus>();
    m_busy = true;
    m_hooks.run(
        kWaitText,
        [status, store = &m_store, newList = m_newList, name = m_currentName, list = &m_numbers] {
            store->Paths().EnsureDataFiles();
            *status = newList ? store->AppendList(name, list->Numbers()) : store->SaveList(name, list->Numbers());
            // Saved, the numbers are let go here rather than on the controller's thread.
            if (status->Ok())
                list->Clear();
        },
        [this, status, then = std::move(then)] {
            m_busy = false;
            if (!status->Ok()) {
                m_prompter.Notice(status->Text());
                return;
            }
            if (m_newList)
                m_available << m_currentName;
            m_storedChanged = true;
            LeaveNumbers();
            then();
        });
}

void ExclusionWizardController::LeaveNumbers() {
    m_numbers.Clear();
    Refreshed();
    m_numbersChanged = false;
    m_newList = false;
    m_currentName.clear();
    m_page = Page::Lists;
}

void ExclusionWizardController::DisposeNumbers(std::function<void()> then) {
    if (m_numbers.Count() < kDisposeAway) {
        then();
        return;
    }
    // Freeing a long list takes longer than a frame: it goes with the work, away from this thread.
    auto old = std::make_shared<ExclusionNumberList>(std::exchange(m_numbers, ExclusionNumberList()));
    Refreshed();
    m_busy = true;
    m_hooks.run(
        kWaitText, [old]() mutable { old.reset(); },
        [this, then = std::move(then)] {
            m_busy = false;
            then();
        });
}

void ExclusionWizardController::NumbersChangedBy(qsizetype count) {
    if (count > 0)
        m_numbersChanged = true;
    Refreshed();
}

void ExclusionWizardController::Refreshed() {
    ++m_revision;
    m_count = m_numbers.Count();
}

bool ExclusionWizardController::UpdateName(const QString& text) {
    if (m_busy)
        return false;
    const QString name = text.trimmed();
    if (name == m_currentName)
        return false;
    if (const ListNameError error = CheckListName(name, m_available); error != ListNameError::None) {
        m_prompter.Notice(ListNameErrorText(error));
        return false;
    }
    if (!m_prompter.Confirm(kContinueQuestion))
        return false;
    if (!m_newList) {
        if (const ExclusionStoreStatus status = m_store.RenameList(m_currentName, name); !status.Ok()) {
            m_prompter.Notice(status.Text());
            return false;
        }
        for (QStringList* names : {&m_available, &m_applied}) {
            for (QString& listed : *names) {
                if (listed == m_currentName)
                    listed = name;
            }
        }
    }
    m_currentName = name;
    return true;
}

void ExclusionWizardController::NumbersBack() {
    if (m_busy)
        return;
    if (m_numbersChanged) {
        if (!m_prompter.Confirm(kUnsavedNumbers))
            return;
        if (m_numbers.IsEmpty()) {
            m_prompter.Notice(ExclusionExport::kEmptyList);
            return;
        }
        // Saved, the list is stored: its numbers page is left for the lists page, as Save leaves it.
        WriteNumbers([] {});
        return;
    }
    if (m_newList) {
        m_page = Page::Name;
        return;
    }
    DisposeNumbers([this] { LeaveNumbers(); });
}

// ---- Closing ----

void ExclusionWizardController::Close() {
    if (m_busy)
        return;
    if (m_page == Page::Numbers && m_numbersChanged) {
        if (!m_prompter.Confirm(kUnsavedNumbers)) {
            DisposeNumbers([this] { m_closed = true; });
            return;
        }
        if (m_numbers.IsEmpty()) {
            m_prompter.Notice(ExclusionExport::kEmptyList);
            return;
        }
        WriteNumbers([this] { CloseApplied(); });
        return;
    }
    CloseApplied();
}

void ExclusionWizardController::CloseApplied() {
    if (m_appliedChanged && m_prompter.Confirm(kUnsavedApplied) && !WriteApplied())
        return;
    DisposeNumbers([this] { m_closed = true; });
}
