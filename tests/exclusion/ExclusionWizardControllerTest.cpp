// The exclusion list wizard without a window: the lists page's commands and refusals, a new list from its name
// to its stored file, editing, importing, exporting and renaming a stored list, and the questions of Back and
// Close about unsaved changes.
#include "exclusion/ExclusionWizardController.h"
#include "fakes/WorkbookTestSupport.h"

#include "exclusion/ExclusionStore.h"
#include "fakes/FileBytes.h"
#include "fakes/ScriptedPrompter.h"
#include "records/SpreadsheetExport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Answer = Prompter::Answer;
using Field = ExclusionWizardController::Field;
using Page = ExclusionWizardController::Page;
using W = ExclusionWizardController;

class ExclusionWizardControllerTest : public ::testing::Test {
protected:
    ExclusionWizardControllerTest() {
        m_paths.EnsureDataFiles();
        m_hooks.run = InlineWorkRunner();
        m_hooks.pickColumns = [this](const QString&, const QStringList& sheets,
                                     std::function<void(W::ColumnChoice)> chosen) {
            pickedSheets = sheets;
            chosen(choice);
        };
        m_hooks.exported = [this](const QString& path, const QString& message) { exported << path << message; };
    }

    // A store with lists Sales (two numbers) and Admin (one), Sales applied.
    void TwoLists() {
        ASSERT_TRUE(store.AppendList(QStringLiteral("Sales"), {QStringLiteral("+4412"), QStringLiteral("555")}).Ok());
        ASSERT_TRUE(store.AppendList(QStringLiteral("Admin"), {QStringLiteral("777")}).Ok());
        ASSERT_TRUE(store.SaveApplied({QStringLiteral("Sales")}).Ok());
    }
    std::unique_ptr<W> Open() {
        auto wizard = std::make_unique<W>(store, prompter, m_hooks);
        wizard->Open();
        return wizard;
    }
    QString Put(const char* name, const QByteArray& bytes) {
        const QString path = m_dir.filePath(QLatin1String(name));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    QString LastMessage() const { return prompter.Messages().isEmpty() ? QString() : prompter.Messages().last(); }

    QTemporaryDir m_dir;
    DataPaths m_paths{m_dir.path()};
    ExclusionStore store{m_paths};
    ScriptedPrompter prompter;
    W::Hooks m_hooks;
    W::ColumnChoice choice;
    QStringList pickedSheets;
    QStringList exported;
};

TEST_F(ExclusionWizardControllerTest, ListsPageCommandsRefuseWhatTheyCannotDo) {
    struct Case {
        std::function<Field(W&)> command;
        QString message;
        Field field;
    };
    // Over an empty store.
    const std::vector<Case> empty = {
        {[](W& w) { return w.AddSelected({0}); }, W::kAvailableEmpty, Field::Available},
        {[](W& w) { return w.AddAll(); }, W::kAvailableEmpty, Field::Available},
        {[](W& w) { return w.RemoveSelected({0}); }, W::kAppliedEmpty, Field::Applied},
        {[](W& w) { return w.RemoveAll(); }, W::kAppliedEmpty, Field::Applied},
        {[](W& w) { return w.Update({0}); }, W::kAvailableEmpty, Field::Available},
        {[](W& w) { return w.UpdateApplied(0); }, W::kAppliedEmpty, Field::Applied},
        {[](W& w) { return w.Delete({0}); }, W::kAvailableEmpty, Field::Available},
    };
    // Over Sales (applied) and Admin.
    const std::vector<Case> two = {
        {[](W& w) { return w.AddSelected({}); }, W::kNoAvailableSelected, Field::Available},
        {[](W& w) { return w.AddSelected({0}); }, W::kAlreadyInUse, Field::Available},
        {[](W& w) { return w.RemoveSelected({}); }, W::kNoAppliedSelected, Field::Applied},
        {[](W& w) { return w.Update({}); }, W::kNoAvailableSelected, Field::Available},
        {[](W& w) {
             return w.Update({0, 1});
         },
         W::kOnlyOne, Field::Available},
        {[](W& w) { return w.Delete({}); }, W::kNoAvailableSelected, Field::Available},
    };
    for (const auto* cases : {&empty, &two}) {
        if (cases == &two)
            TwoLists();
        for (const Case& c : *cases) {
            prompter.Clear();
            auto wizard = Open();
            EXPECT_EQ(c.command(*wizard), c.field) << c.message.toStdString();
            EXPECT_EQ(prompter.Messages(), QStringList{c.message});
            EXPECT_EQ(wizard->CurrentPage(), Page::Lists);
            EXPECT_FALSE(wizard->AppliedChanged());
        }
    }
    auto wizard = Open();
    EXPECT_EQ(wizard->AddAll(), Field::None);
    EXPECT_EQ(wizard->AddAll(), Field::Available);
    EXPECT_EQ(LastMessage(), W::kAllInUse);
}

TEST_F(ExclusionWizardControllerTest, AppliedListsChangeInTheViewAndAreStoredOnlyBySave) {
    TwoLists();
    auto wizard = Open();
    EXPECT_EQ(wizard->Available(), (QStringList{QStringLiteral("Sales"), QStringLiteral("Admin")}));
    EXPECT_EQ(wizard->AddSelected({1, 0}), Field::None); // Sales is already there: only Admin is added
    EXPECT_EQ(wizard->Applied(), (QStringList{QStringLiteral("Sales"), QStringLiteral("Admin")}));
    EXPECT_EQ(wizard->RemoveSelected({0}), Field::None);
    EXPECT_EQ(wizard->Applied(), QStringList{QStringLiteral("Admin")});
    EXPECT_TRUE(wizard->AppliedChanged());
    EXPECT_EQ(store.AppliedNames().lines, QStringList{QStringLiteral("Sales")});

    prompter.Script({Answer::No});
    wizard->SaveApplied();
    EXPECT_EQ(store.AppliedNames().lines, QStringList{QStringLiteral("Sales")});
    prompter.Script({Answer::Yes});
    wizard->SaveApplied();
    EXPECT_EQ(store.AppliedNames().lines, QStringList{QStringLiteral("Admin")});
    EXPECT_FALSE(wizard->AppliedChanged());
    EXPECT_TRUE(wizard->StoredChanged());
    EXPECT_EQ(prompter.Asked().back().caption, QStringLiteral("Confirm"));
    EXPECT_EQ(prompter.Asked().back().message, W::kContinueQuestion);
}

TEST_F(ExclusionWizardControllerTest, ANewListGoesFromItsNameToItsFile) {
    TwoLists();
    auto wizard = Open();
    wizard->AddNew();
    ASSERT_EQ(wizard->CurrentPage(), Page::Name);
    const std::pair<const char*, QString> refused[] = {
        {"  ", QStringLiteral("Please enter exclusion list name.")},
        {"a/b", QStringLiteral("Please enter a valid name.")},
        {"Con", QStringLiteral("Please enter a valid name.")},
        {"lpt3", QStringLiteral("Please enter a valid name.")},
        {"ExListIndex", QStringLiteral("Please enter the another name.")},
        {"sales", QStringLiteral("Entered exclusion list name already exists.")},
    };
    for (const auto& [name, message] : refused) {
        EXPECT_EQ(wizard->NameNext(QString::fromLatin1(name)), Field::Name);
        EXPECT_EQ(LastMessage(), message) << name;
        EXPECT_EQ(wizard->CurrentPage(), Page::Name);
    }
    EXPECT_EQ(wizard->NameNext(QStringLiteral(" Team ")), Field::None);
    ASSERT_EQ(wizard->CurrentPage(), Page::Numbers);
    EXPECT_TRUE(wizard->IsNewList());
    EXPECT_EQ(wizard->CurrentListText(), QStringLiteral("Currently using exclusion list : Team"));
    EXPECT_EQ(wizard->CountText(), QStringLiteral("Total Numbers : 0"));

    prompter.Clear();
    EXPECT_TRUE(wizard->AddNumber(QStringLiteral(" +4411 ")));
    EXPECT_TRUE(wizard->AddNumber(QStringLiteral("0-22")));
    EXPECT_FALSE(wizard->AddNumber(QStringLiteral("44+1")));
    EXPECT_FALSE(wizard->AddNumber(QStringLiteral("0-22")));
    EXPECT_EQ(prompter.Messages(), (QStringList{QStringLiteral("Please enter a valid phone number."),
                                                QStringLiteral("Entered number already exists.")}));
    EXPECT_EQ(wizard->NumbersSnapshot(), (QStringList{QStringLiteral("0-22"), QStringLiteral("+4411")}));
    EXPECT_TRUE(wizard->NumbersChanged());
    EXPECT_EQ(wizard->CountText(), QStringLiteral("Total Numbers : 2"));

    prompter.Script({Answer::Yes});
    wizard->Save();
    EXPECT_EQ(wizard->CurrentPage(), Page::Lists);
    EXPECT_EQ(wizard->Available().last(), QStringLiteral("Team"));
    EXPECT_EQ(store.ListNames().lines.last(), QStringLiteral("Team"));
    EXPECT_EQ(FileBytes::ReadAll(store.ListPath(QStringLiteral("Team"))),
              FileBytes::Utf16File(QStringLiteral("0-22\n+4411\n")));
    EXPECT_TRUE(wizard->StoredChanged());
    EXPECT_TRUE(wizard->NumbersSnapshot().isEmpty());
}

TEST_F(ExclusionWizardControllerTest, AStoredListIsEditedRenamedAndSaved) {
    TwoLists();
    auto wizard = Open();
    EXPECT_EQ(wizard->UpdateApplied(0), Field::None);
    ASSERT_EQ(wizard->CurrentPage(), Page::Numbers);
    EXPECT_FALSE(wizard->IsNewList());
    EXPECT_EQ(wizard->NumbersSnapshot(), (QStringList{QStringLiteral("+4412"), QStringLiteral("555")}));

    // One number edited: unchanged is taken as is, the rules apply otherwise.
    EXPECT_EQ(wizard->MayUpdateNumber({}), std::nullopt);
    EXPECT_EQ(LastMessage(), W::kNoNumberSelected);
    ASSERT_EQ(wizard->MayUpdateNumber({1}), 1);
    EXPECT_TRUE(wizard->ReplaceNumber(1, QStringLiteral("555")));
    EXPECT_FALSE(wizard->NumbersChanged());
    EXPECT_FALSE(wizard->ReplaceNumber(1, QStringLiteral("+4412")));
    EXPECT_EQ(LastMessage(), QStringLiteral("Entered number already exists."));
    EXPECT_FALSE(wizard->ReplaceNumber(1, QStringLiteral("5+5")));
    EXPECT_EQ(LastMessage(), QStringLiteral("Please enter a valid phone number."));
    EXPECT_TRUE(wizard->ReplaceNumber(1, QStringLiteral("556")));
    EXPECT_TRUE(wizard->NumbersChanged());

    // Renamed while applied: both views, the index and the applied file follow; an unchanged name does nothing.
    prompter.Clear();
    EXPECT_FALSE(wizard->UpdateName(QStringLiteral("Sales")));
    EXPECT_FALSE(wizard->UpdateName(QStringLiteral("admin")));
    EXPECT_EQ(prompter.Messages(), QStringList{QStringLiteral("Entered exclusion list name already exists.")});
    prompter.Script({Answer::Yes});
    EXPECT_TRUE(wizard->UpdateName(QStringLiteral("Buyers")));
    EXPECT_EQ(wizard->CurrentName(), QStringLiteral("Buyers"));
    EXPECT_EQ(wizard->Available(), (QStringList{QStringLiteral("Buyers"), QStringLiteral("Admin")}));
    EXPECT_EQ(wizard->Applied(), QStringList{QStringLiteral("Buyers")});
    EXPECT_EQ(store.ListNames().lines, (QStringList{QStringLiteral("Buyers"), QStringLiteral("Admin")}));
    EXPECT_EQ(store.AppliedNames().lines, QStringList{QStringLiteral("Buyers")});

    EXPECT_EQ(wizard->RemoveNumbers({}), Field::Numbers);
    EXPECT_EQ(LastMessage(), W::kNoNumbersSelected);
    EXPECT_EQ(wizard->RemoveNumbers({0}), Field::None);
    EXPECT_EQ(wizard->NumbersSnapshot(), QStringList{QStringLiteral("556")});
    prompter.Script({Answer::Yes});
    wizard->Save();
    EXPECT_EQ(store.LoadList(QStringLiteral("Buyers")).lines, QStringList{QStringLiteral("556")});
    EXPECT_EQ(wizard->CurrentPage(), Page::Lists);
}

TEST_F(ExclusionWizardControllerTest, AListWhoseFileIsGoneIsNotOpened) {
    TwoLists();
    ASSERT_TRUE(QFile::remove(store.ListPath(QStringLiteral("Admin"))));
    auto wizard = Open();
    EXPECT_EQ(wizard->Update({1}), Field::None);
    EXPECT_EQ(wizard->CurrentPage(), Page::Lists);
    EXPECT_FALSE(LastMessage().isEmpty());
}

TEST_F(ExclusionWizardControllerTest, DeletingAnAppliedListKeepsTheOtherUnsavedAppliedChanges) {
    TwoLists();
    auto wizard = Open();
    wizard->AddAll(); // Admin applied, not saved
    prompter.Script({Answer::No});
    wizard->Delete({0});
    EXPECT_EQ(wizard->Available().size(), 2);
    prompter.Script({Answer::Yes});
    wizard->Delete({0});
    EXPECT_EQ(prompter.Asked().back().message, W::kDeleteQuestion);
    EXPECT_EQ(wizard->Available(), QStringList{QStringLiteral("Admin")});
    EXPECT_EQ(wizard->Applied(), QStringList{QStringLiteral("Admin")});
    EXPECT_TRUE(wizard->AppliedChanged());
    EXPECT_FALSE(QFile::exists(store.ListPath(QStringLiteral("Sales"))));
    EXPECT_TRUE(store.AppliedNames().lines.isEmpty());
    EXPECT_TRUE(wizard->StoredChanged());
}

TEST_F(ExclusionWizardControllerTest, TextFilesAndWorkbooksFillTheListFromTheTop) {
    TwoLists();
    auto wizard = Open();
    wizard->Update({1});
    EXPECT_FALSE(wizard->ChooseFile(m_dir.filePath(QStringLiteral("none.txt"))));
    EXPECT_EQ(prompter.Asked().back().caption, QStringLiteral("Warning"));
    wizard->Load(QString());
    EXPECT_EQ(LastMessage(), ExclusionNumberImport::kNoPath);
    wizard->Load(Put("utf8.txt", "\xEF\xBB\xBF"
                                 "123"));
    EXPECT_EQ(LastMessage(), QStringLiteral("Please select the ANSI encoded text file."));
    EXPECT_FALSE(wizard->NumbersChanged());

    const QString text = Put("n.txt", "0-11,(22) 33\n777\n44");
    EXPECT_TRUE(wizard->ChooseFile(text));
    wizard->Load(text);
    EXPECT_EQ(wizard->NumbersSnapshot(), (QStringList{QStringLiteral("011"), QStringLiteral("2233"),
                                                      QStringLiteral("44"), QStringLiteral("777")}));
    EXPECT_TRUE(wizard->NumbersChanged());
    EXPECT_EQ(wizard->CountText(), QStringLiteral("Total Numbers : 4"));

    // A workbook: the sheet names go to the picker; its choice is read; Cancel reads nothing.
    const QString book = m_dir.filePath(QStringLiteral("n.xlsx"));
    ASSERT_TRUE(
        SpreadsheetExport(prompter)
            .Export(SpreadsheetExportTable::RecipientList(),
                    {{QStringLiteral("9001"), QStringLiteral("x")}, {QStringLiteral("9002"), QStringLiteral("y")}},
                    SpreadsheetExport::Filter::All, book, SpreadsheetExport::Format::Xlsx)
            .Ok());
    choice.reset();
    wizard->Load(book);
    EXPECT_EQ(pickedSheets, QStringList{QStringLiteral("Sheet1")});
    EXPECT_EQ(wizard->NumbersSnapshot().size(), 4);
    EXPECT_FALSE(wizard->IsBusy());
    choice = workbook_test::Choose(1, {{1, true}, {2, false}});
    wizard->Load(book);
    EXPECT_EQ(wizard->NumbersSnapshot().mid(0, 3),
              (QStringList{QStringLiteral("9001"), QStringLiteral("9002"), QStringLiteral("011")}));
    EXPECT_EQ(wizard->CountText(), QStringLiteral("Total Numbers : 6"));
}

TEST_F(ExclusionWizardControllerTest, ExportWritesTheNumbersInTheChosenFormat) {
    TwoLists();
    auto wizard = Open();
    wizard->AddNew();
    wizard->NameNext(QStringLiteral("Empty"));
    EXPECT_FALSE(wizard->MayExport());
    EXPECT_EQ(LastMessage(), ExclusionExport::kEmptyList);
    wizard->NumbersBack(); // nothing typed: back to the name, then to the lists
    wizard->NameBack();
    wizard->Update({0});
    EXPECT_TRUE(wizard->MayExport());
    wizard->Export(m_dir.filePath(QStringLiteral("out")), 2);
    const QString path = m_dir.filePath(QStringLiteral("out.txt"));
    EXPECT_EQ(exported, (QStringList{path, ExclusionExport::kExported}));
    EXPECT_EQ(FileBytes::ReadAll(path), ExclusionExport::Report({QStringLiteral("+4412"), QStringLiteral("555")}));
}

TEST_F(ExclusionWizardControllerTest, BackAndCloseAskAboutUnsavedChanges) {
    TwoLists();
    struct Case {
        const char* name;
        std::function<void(W&)> act;
        std::initializer_list<Answer> answers;
        QStringList questions;
        bool closed;
        QStringList stored; // Admin's numbers afterwards
        QStringList applied;
    };
    const QStringList admin{QStringLiteral("777")};
    const QStringList edited{QStringLiteral("888"), QStringLiteral("777")};
    const std::vector<Case> cases = {
        {"back, keep editing", [](W& w) { w.NumbersBack(); }, {Answer::No}, {W::kUnsavedNumbers}, false, admin, {}},
        {"back, save", [](W& w) { w.NumbersBack(); }, {Answer::Yes}, {W::kUnsavedNumbers}, false, edited, {}},
        // No closes at once, without the question about the applied lists.
        {"close, discard", [](W& w) { w.Close(); }, {Answer::No}, {W::kUnsavedNumbers}, true, admin, {}},
        {"close, save both",
         [](W& w) { w.Close(); },
         {Answer::Yes, Answer::Yes},
         {W::kUnsavedNumbers, W::kUnsavedApplied},
         true,
         edited,
         {QStringLiteral("Sales"), QStringLiteral("Admin")}},
        {"close, save numbers only",
         [](W& w) { w.Close(); },
         {Answer::Yes, Answer::No},
         {W::kUnsavedNumbers, W::kUnsavedApplied},
         true,
         edited,
         {QStringLiteral("Sales")}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(store.SaveList(QStringLiteral("Admin"), admin).Ok());
        ASSERT_TRUE(store.SaveApplied({QStringLiteral("Sales")}).Ok());
        auto wizard = Open();
        wizard->AddAll();
        wizard->Update({1});
        ASSERT_TRUE(wizard->AddNumber(QStringLiteral("888")));
        prompter.Clear();
        prompter.Script(c.answers);
        c.act(*wizard);
        EXPECT_EQ(prompter.Messages(), c.questions) << c.name;
        EXPECT_EQ(wizard->IsClosed(), c.closed) << c.name;
        EXPECT_EQ(store.LoadList(QStringLiteral("Admin")).lines, c.stored) << c.name;
        EXPECT_EQ(store.AppliedNames().lines, c.applied.isEmpty() ? QStringList{QStringLiteral("Sales")} : c.applied)
            << c.name;
    }
    // A new list with no numbers: Back returns to its name; an emptied one cannot be saved, so Close stays.
    auto wizard = Open();
    wizard->AddNew();
    wizard->NameNext(QStringLiteral("Fresh"));
    wizard->NumbersBack();
    EXPECT_EQ(wizard->CurrentPage(), Page::Name);
    wizard->NameNext(QStringLiteral("Fresh"));
    wizard->AddNumber(QStringLiteral("1"));
    wizard->RemoveNumbers({0});
    prompter.Clear();
    prompter.Script({Answer::Yes});
    wizard->Close();
    EXPECT_EQ(prompter.Messages(), (QStringList{W::kUnsavedNumbers, ExclusionExport::kEmptyList}));
    EXPECT_FALSE(wizard->IsClosed());
}

// Work held back until the test lets it run, as a window's runner holds it while the pool thread works.
class HeldWork {
public:
    WorkRunner Runner() {
        return [this](const QString&, std::function<void()> work, std::function<void()> done) {
            m_pending.push_back({std::move(work), std::move(done)});
        };
    }
    // Runs the waiting work (and any its ends start); false when there was none.
    bool RunAll() {
        if (m_pending.empty())
            return false;
        while (!m_pending.empty()) {
            auto [work, done] = std::move(m_pending.front());
            m_pending.erase(m_pending.begin());
            work();
            done();
        }
        return true;
    }

private:
    std::vector<std::pair<std::function<void()>, std::function<void()>>> m_pending;
};

TEST_F(ExclusionWizardControllerTest, ALongListIsLetGoAsLongWorkAndNothingElseRunsMeanwhile) {
    QStringList big;
    for (qsizetype i = 0; i < W::kDisposeAway; ++i)
        big << QString::number(100000000 + i);
    ASSERT_TRUE(store.AppendList(QStringLiteral("Big"), big).Ok());
    ASSERT_TRUE(store.AppendList(QStringLiteral("Small"), {QStringLiteral("1")}).Ok());
    HeldWork held;
    m_hooks.run = held.Runner();

    struct Case {
        const char* name;
        int row; // the list opened
        std::function<void(W&)> leave;
        std::initializer_list<Answer> answers;
        bool longWork; // leaving needs work on the pool thread
        Page page;     // afterwards
        bool closed;
    };
    const std::vector<Case> cases = {
        {"back from the long list", 0, [](W& w) { w.NumbersBack(); }, {}, true, Page::Lists, false},
        {"close the long list", 0, [](W& w) { w.Close(); }, {}, true, Page::Numbers, true},
        {"close, dropping an edit",
         0,
         [](W& w) {
             ASSERT_TRUE(w.AddNumber(QStringLiteral("42")));
             w.Close();
         },
         {Answer::No},
         true,
         Page::Numbers,
         true},
        {"back from a short list", 1, [](W& w) { w.NumbersBack(); }, {}, false, Page::Lists, false},
    };
    for (const Case& c : cases) {
        prompter.Clear();
        prompter.Script(c.answers);
        auto wizard = Open();
        EXPECT_EQ(wizard->Update({c.row}), Field::None);
        EXPECT_TRUE(wizard->IsBusy()) << c.name;
        ASSERT_TRUE(held.RunAll());
        ASSERT_EQ(wizard->CurrentPage(), Page::Numbers) << c.name;
        c.leave(*wizard);
        EXPECT_EQ(wizard->IsBusy(), c.longWork) << c.name;
        if (c.longWork) {
            // The numbers are gone from the view at once, and commands wait for the work.
            EXPECT_TRUE(wizard->NumbersSnapshot().isEmpty()) << c.name;
            EXPECT_EQ(wizard->CountText(), QStringLiteral("Total Numbers : 0")) << c.name;
            EXPECT_FALSE(wizard->IsClosed()) << c.name;
            const qsizetype asked = prompter.Asked().size();
            wizard->Close();
            wizard->AddNew();
            EXPECT_EQ(wizard->AddAll(), Field::None);
            EXPECT_EQ(prompter.Asked().size(), asked) << c.name;
            EXPECT_TRUE(wizard->Applied().isEmpty()) << c.name;
            EXPECT_TRUE(held.RunAll()) << c.name;
        }
        EXPECT_FALSE(held.RunAll()) << c.name;
        EXPECT_FALSE(wizard->IsBusy()) << c.name;
        EXPECT_EQ(wizard->CurrentPage(), c.page) << c.name;
        EXPECT_EQ(wizard->IsClosed(), c.closed) << c.name;
        EXPECT_EQ(store.LoadList(QStringLiteral("Big")).lines.size(), W::kDisposeAway) << c.name;
    }
}

TEST_F(ExclusionWizardControllerTest, ASaveThatFailsKeepsTheNumbersAndThePage) {
    TwoLists();
    auto wizard = Open();
    wizard->Update({1});
    ASSERT_TRUE(wizard->AddNumber(QStringLiteral("888")));
    // The list's file turned into a folder: it cannot be written.
    const QString path = store.ListPath(QStringLiteral("Admin"));
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir().mkdir(path));
    prompter.Clear();
    prompter.Script({Answer::Yes});
    wizard->Save();
    ASSERT_EQ(prompter.Messages().size(), 2);
    EXPECT_FALSE(prompter.Messages().last().isEmpty());
    EXPECT_EQ(wizard->CurrentPage(), Page::Numbers);
    EXPECT_TRUE(wizard->NumbersChanged());
    EXPECT_EQ(wizard->NumbersSnapshot(), (QStringList{QStringLiteral("888"), QStringLiteral("777")}));
    EXPECT_EQ(wizard->CountText(), QStringLiteral("Total Numbers : 2"));
    EXPECT_FALSE(wizard->StoredChanged());
}

} // namespace
