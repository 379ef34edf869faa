// The quota window's numbers and OK, and "Load Contacts From File" with its clear-or-append question.

#include "GuiTestSupport.h"
#include "MainWindowFixture.h"

#include "app/AppShell.h"
#include "composer/gui/CVRIX_Bulk_SMSDlg.h"
#include "fakes/ScriptedPrompter.h"
#include "records/SpreadsheetExport.h"
#include "records/gui/COpen_Export_Log.h"
#include "sending/gui/CQuota_Dlg.h"
#include "ui/DemoModems.h"
#include "ui/NumberEdit.h"
#include "ui/RecipientTableModel.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>

namespace {

class ListWindowsTest : public MainWindowFixture {
protected:
    ListWindowsTest() { OpenWindow(); }

    void SelectTwoDevices() {
        DeviceRecord a;
        a.portName = QStringLiteral("/dev/ttyA");
        a.displayName = QStringLiteral("Modem A");
        DeviceRecord b = a;
        b.portName = QStringLiteral("/dev/ttyB");
        b.displayName = QStringLiteral("Modem B");
        window->Devices().ReplaceSelection({a, b});
        window->RefreshDevices();
    }

    QString WriteFile(const QString& name, const QByteArray& bytes) {
        QFile file(m_dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }
};

TEST_F(ListWindowsTest, QuotaWindowShowsItsNumbersAndOkTurnsQuotaManagementOn) {
    SelectTwoDevices();
    CQuota_Dlg quota(window->Devices().SelectedDevicesText(), window->Quota(), window->SendOptions(), 100, prompter,
                     window.get());
    ASSERT_EQ(quota.Table()->rowCount(), 2);
    EXPECT_EQ(quota.Table()->item(0, 0)->text(), QStringLiteral("/dev/ttyA"));
    EXPECT_EQ(quota.TotalText(), QStringLiteral("100"));
    EXPECT_EQ(quota.AssignedText(), QStringLiteral("0"));
    EXPECT_EQ(quota.AvailableText(), QStringLiteral("100"));

    quota.SetTypeAt(0, QStringLiteral("Manual"));
    quota.SetAssignAt(0, QStringLiteral("30"));
    quota.SetTypeAt(1, QStringLiteral("Manual"));
    quota.Table()->item(1, QuotaController::kAssignColumn)->setText(QStringLiteral("90")); // edited in place
    EXPECT_EQ(quota.AssignedText(), QStringLiteral("120"));
    EXPECT_EQ(quota.AvailableText(), QStringLiteral("-20"));
    quota.accept();
    EXPECT_EQ(prompter.Messages().value(0), QuotaController::kOverAssigned);
    EXPECT_FALSE(window->SendOptions().QuotaManagement());

    quota.Table()->item(1, 0)->setCheckState(Qt::Unchecked); // an unticked device does not count
    EXPECT_EQ(quota.AssignedText(), QStringLiteral("30"));
    prompter.Script({Prompter::Answer::Ok});
    quota.accept();
    EXPECT_EQ(quota.result(), QDialog::Accepted);
    EXPECT_TRUE(window->SendOptions().QuotaManagement());
    EXPECT_TRUE(window->Quota().SettingsText().contains(QLatin1String(";/dev/ttyA;")));

    // The switch beside the link shows it, and turns quota management off again.
    window->RefreshOptions();
    QCheckBox* inUse = window->Form().quota;
    ASSERT_TRUE(inUse->isVisibleTo(window.get()));
    EXPECT_TRUE(inUse->isChecked());
    inUse->click();
    EXPECT_FALSE(window->SendOptions().QuotaManagement());
    EXPECT_FALSE(inUse->isChecked());
}

TEST_F(ListWindowsTest, LoadContactsAsksToClearOrAppendAndImportsBehindThePleaseWaitBox) {
    const QString file = WriteFile(QStringLiteral("contacts.txt"), "0044 123,+4498\r\n\r\nabc\n5551");
    window->OnLoadContactsFrom(file);
    ASSERT_TRUE(WaitFor([&] { return !window->IsListBusy(); }));
    ASSERT_EQ(window->List().Count(), 3);
    EXPECT_EQ(window->List().Number(0), QStringLiteral("0044123"));
    EXPECT_EQ(window->List().Number(2), QStringLiteral("5551"));

    window->Form().number->setText(QStringLiteral("12"));
    window->OnLoadContacts(); // a typed number stops every list-filling command
    EXPECT_EQ(prompter.Messages().value(0), QStringLiteral("Please insert entered number to the list."));

    window->Form().number->clear();
    window->Form().skipDuplicates->setChecked(true);
    prompter.Script({Prompter::Answer::No}); // append
    ASSERT_TRUE(window->PrepareListFill());
    EXPECT_EQ(prompter.Asked().back().caption, QStringLiteral("Information"));
    EXPECT_EQ(prompter.Asked().back().buttons, Prompter::Buttons::YesNoCancel);
    window->OnLoadContactsFrom(file);
    ASSERT_TRUE(WaitFor([&] { return !window->IsListBusy(); }));
    EXPECT_EQ(window->List().Count(), 3);
    EXPECT_TRUE(prompter.Messages().back().startsWith(QLatin1String("Either file is corrupted")));

    prompter.Script({Prompter::Answer::Cancel});
    EXPECT_FALSE(window->PrepareListFill());
    EXPECT_EQ(window->List().Count(), 3);
    prompter.Script({Prompter::Answer::Yes});
    EXPECT_TRUE(window->PrepareListFill());
    EXPECT_EQ(window->List().Count(), 0);

    window->OnLoadContactsFrom(WriteFile(QStringLiteral("utf16.txt"), QByteArray("\xFF\xFE"
                                                                                 "1\0",
                                                                                 4)));
    ASSERT_TRUE(WaitFor([&] { return !window->IsListBusy(); }));
    EXPECT_EQ(prompter.Messages().back(), QStringLiteral("Please select the ANSI encoded text file."));
}

TEST_F(ListWindowsTest, ExportWritesTheListAndOffersToOpenIt) {
    window->Button(QStringLiteral("Export"))->click();
    EXPECT_EQ(prompter.Messages().value(0), QStringLiteral("Phone numbers-Messages list is empty."));
    static_cast<void>(
        window->List().AddNumbers(0, {QStringLiteral("111"), QStringLiteral("222")}, QStringLiteral("Hi"), {}, {}));
    window->RefreshList();
    bool exported = false;
    QObject::connect(window.get(), &CVRIX_Bulk_SMSDlg::ListExported, window.get(), [&](bool ok) { exported = ok; });
    const QString path = m_dir.filePath(QStringLiteral("list.xls"));
    window->ExportListTo(path, SpreadsheetExport::Format::Xls);
    ASSERT_TRUE(WaitFor([&] { return !window->IsListBusy(); }));
    EXPECT_TRUE(exported);
    EXPECT_GT(QFileInfo(path).size(), 0);
    auto* done = window->findChild<COpen_Export_Log*>();
    ASSERT_NE(done, nullptr);
    done->reject();
}

} // namespace

// The default country makes one person of one number however it is written; the choice survives a restart and
// "none" compares the texts again.
TEST_F(ListWindowsTest, DefaultCountryJoinsNationalAndInternationalFormsAndIsRemembered) {
    window->Form().skipDuplicates->setChecked(true);
    window->Form().country->setCurrentIndex(window->Form().country->findData(QStringLiteral("GB")));
    ASSERT_TRUE(WaitFor([&] { return !window->IsListBusy(); }));
    window->Form().number->setText(QStringLiteral("+44 7700 900556"));
    window->Button(QStringLiteral("Add"))->click();
    window->Form().number->setText(QStringLiteral("07700900556"));
    window->Button(QStringLiteral("Add"))->click();
    ASSERT_EQ(prompter.Asked().size(), 1u);
    EXPECT_EQ(prompter.Asked()[0].message, QStringLiteral("Entered number already exists."));
    EXPECT_EQ(window->ListModel().rowCount(), 1);

    window.reset();
    OpenWindow();
    EXPECT_EQ(window->Form().country->currentData().toString(), QStringLiteral("GB"));
    EXPECT_TRUE(window->Form().skipDuplicates->isChecked());
    window->Form().country->setCurrentIndex(0); // none: the texts differ, so both are taken
    ASSERT_TRUE(WaitFor([&] { return !window->IsListBusy(); }));
    EXPECT_EQ(window->Form().country->currentText(), MainWindowForm::kNoCountry);
    prompter.Clear();
    for (const QString& number : {QStringLiteral("+447700900556"), QStringLiteral("07700900556")}) {
        window->Form().number->setText(number);
        window->Button(QStringLiteral("Add"))->click();
    }
    EXPECT_TRUE(prompter.Asked().empty());
    EXPECT_EQ(window->ListModel().rowCount(), 2);
}

// The number column shows a whole international number (15 digits and the "+").
TEST_F(ListWindowsTest, NumberColumnFitsALongestNumber) {
    QTableView* view = window->Form().listView;
    EXPECT_GT(view->columnWidth(0), view->fontMetrics().horizontalAdvance(QStringLiteral("+447700900556123")));
}
