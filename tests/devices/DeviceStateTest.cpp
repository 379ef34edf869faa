// The custom SMSC store's entries and the main window's device state.

#include "devices/CustomSmscStore.h"
#include "devices/DeviceTexts.h"
#include "devices/MainDeviceState.h"

#include <gtest/gtest.h>

TEST(CustomSmscStore, OneEntryPerPort) {
    CustomSmscStore store;
    store.Rebuild({QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/ttyUSB1")});
    EXPECT_EQ(store.Entries(), (QStringList{"/dev/ttyUSB0||||N", "/dev/ttyUSB1||||N"}));
    store.Set(QStringLiteral("/dev/ttyUSB1"), QStringLiteral("+15551234567"), true);
    store.Set(QStringLiteral("/dev/ttyUSB1"), QStringLiteral("+15559999999"), true); // replaces the earlier one
    EXPECT_EQ(store.Entries(), (QStringList{"/dev/ttyUSB0||||N", "/dev/ttyUSB1||+15559999999||Y"}));
    const auto entry = store.Find(QStringLiteral("/dev/ttyUSB1"));
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->number, QStringLiteral("+15559999999"));
    EXPECT_TRUE(entry->inUse);
    EXPECT_FALSE(store.Find(QStringLiteral("/dev/ttyUSB0"))->inUse);
    EXPECT_FALSE(store.Find(QStringLiteral("/dev/ttyUSB")).has_value()); // a prefix is another port
    store.Remove(QStringLiteral("/dev/ttyUSB1"));
    EXPECT_EQ(store.Entries(), QStringList{"/dev/ttyUSB0||||N"});
    store.Clear();
    EXPECT_TRUE(store.Entries().isEmpty());
}

TEST(DeviceTexts, CustomSmscValidityAndModes) {
    for (const char* valid : {"+15551234567", "0044123", "123", " +65 "})
        EXPECT_TRUE(DeviceTexts::IsValidCustomSmsc(QLatin1String(valid))) << valid;
    for (const char* invalid : {"", "   ", "91+98", "++1"})
        EXPECT_FALSE(DeviceTexts::IsValidCustomSmsc(QLatin1String(invalid))) << invalid;
    EXPECT_EQ(DeviceTexts::PresetSmsMode(QStringLiteral("PDU Mode & Text Mode")), DeviceRecord::kModePdu);
    EXPECT_EQ(DeviceTexts::PresetSmsMode(QStringLiteral("Text Mode")), DeviceRecord::kModeText);
    EXPECT_EQ(DeviceTexts::PresetSmsMode(QStringLiteral("None")), DeviceRecord::kModeNotChosen);
    EXPECT_EQ(DeviceTexts::SmsModeFromText(QStringLiteral("Text Mode")), DeviceRecord::kModeText);
    EXPECT_TRUE(DeviceTexts::IsFailedPortStatus(QStringLiteral("Request Timeout")));
    EXPECT_TRUE(DeviceTexts::IsFailedPortStatus(QStringLiteral("Cannot access this port (in use by x (pid 1))")));
    EXPECT_FALSE(DeviceTexts::IsFailedPortStatus(QString()));
}

TEST(MainDeviceState, SelectionEntriesAndReset) {
    MainDeviceState state;
    DeviceRecord a;
    a.portName = QStringLiteral("/dev/ttyUSB0");
    a.displayName = QStringLiteral("/dev/ttyUSB0 (Modem)");
    a.smsMode = DeviceRecord::kModePdu;
    DeviceRecord b = a;
    b.portName = QStringLiteral("/dev/ttyACM0");
    b.displayName = QStringLiteral("Unknown Device on /dev/ttyACM0");
    b.smsMode = DeviceRecord::kModeText;
    b.useCustomSmsc = true;
    b.customSmsc = QStringLiteral("+1555");
    state.ReplaceSelection({a, b});
    // Each entry names its port once.
    EXPECT_EQ(state.DeviceEntries(),
              (QStringList{"/dev/ttyUSB0 - Modem", "/dev/ttyACM0 - Unknown Device", "All Device"}));
    EXPECT_EQ(state.Record(1)->slot, 1);
    EXPECT_EQ(state.CurrentSmsMode(), DeviceRecord::kModeText);
    EXPECT_EQ(state.CustomSmsc().Entries(), (QStringList{"/dev/ttyUSB0||||N", "/dev/ttyACM0||+1555||Y"}));
    EXPECT_EQ(state.RecordByPort(QStringLiteral("/dev/ttyACM0"))->slot, 1);
    EXPECT_FALSE(state.Record(2).has_value());
    EXPECT_FALSE(state.UpdateRecord(-1, [](DeviceRecord&) {}));
    EXPECT_TRUE(state.UpdateRecord(0, [](DeviceRecord& r) { r.smsMode = DeviceRecord::kModeText; }));
    EXPECT_TRUE(state.SelectedDevicesText().contains(QStringLiteral("Com Port: /dev/ttyUSB0\r\n\r\nCom Port Details: "
                                                                    "/dev/ttyUSB0 (Modem)\r\n\r\n")));
    EXPECT_EQ(state.SelectedDevicesText().count(QStringLiteral("SMS Mode: Text Mode\r\n\r\n")), 2);
    state.Reset();
    EXPECT_EQ(state.DeviceCount(), 0);
    EXPECT_TRUE(state.DeviceEntries().isEmpty());
    EXPECT_TRUE(state.SelectedDevicesText().isEmpty());
    EXPECT_TRUE(state.CustomSmsc().Entries().isEmpty());
}
