// What a device's storage holds, read by the collector from a scripted device whose AT+CMGD can fail: a message
// read again is stored once (across collectors too, by its key), and nothing leaves the device unstored.

#include "modem/CSMSSerialPort.h"
#include "records/InboxKeys.h"
#include "records/InboxStore.h"
#include "sending/DeliveryCollector.h"

#include "fakes/PtyPeer.h"

#include <gtest/gtest.h>

#include <QMap>
#include <QTemporaryDir>

#include <atomic>
#include <mutex>
#include <thread>

namespace {

// SMS-DELIVER in UCS-2 from +447700900123 (a message in two parts, reference 0x2A) and +447700900124 ("STOP"),
// no SMSC field ("00"), time stamp 25/01/14 12:00:00.
const QString kPart1 = QStringLiteral("00440C91447700091032000852104121000000260500032A020100480065006C006C006F0020"
                                      "00700061007200740020006F006E0065002C0020");
const QString kPart2 = QStringLiteral("00440C91447700091032000852104121000000180500032A02020070006100720074002000740077006F002E");
const QString kStop = QStringLiteral("00040C914477000910420008521041210000000800530054004F0050");

// The device end of a pty answering AT+CPMS, AT+CMGL=4 (PDU mode) and AT+CMGD from its "SM" storage; every
// other command gets OK.
class StorageDevice {
public:
    explicit StorageDevice(QMap<int, QString> stored) : m_stored(std::move(stored)) {
        m_thread = std::thread([this] { Serve(); });
    }
    ~StorageDevice() {
        m_stop = true;
        m_thread.join();
    }
    const QString& Path() const { return m_peer.SlavePath(); }
    std::atomic<bool> failDeletes{true};
    QStringList Deletes() {
        std::lock_guard lock(m_mutex);
        return m_deletes;
    }
    int Stored() {
        std::lock_guard lock(m_mutex);
        return static_cast<int>(m_stored.size());
    }

private:
    void Serve() {
        QByteArray pending;
        while (!m_stop) {
            pending += m_peer.Received(20);
            for (qsizetype end = pending.indexOf('\r'); end >= 0; end = pending.indexOf('\r')) {
                const QString command = QString::fromLatin1(pending.left(end)).trimmed();
                pending.remove(0, end + 1);
                if (!command.isEmpty())
                    m_peer.Send(Answer(command).toLatin1());
            }
        }
    }
    QString Answer(const QString& command) {
        std::lock_guard lock(m_mutex);
        if (command.startsWith(QLatin1String("AT+CPMS=")))
            m_memory = command.section(QLatin1Char('"'), 1, 1);
        if (command == QLatin1String("AT+CMGL=4")) {
            QString reply;
            if (m_memory == QLatin1String("SM")) {
                for (auto it = m_stored.cbegin(); it != m_stored.cend(); ++it)
                    reply += QStringLiteral("\r\n+CMGL: %1,1,,%2\r\n%3")
                                 .arg(it.key())
                                 .arg(it.value().size() / 2 - 1)
                                 .arg(it.value());
            }
            return reply + QStringLiteral("\r\n\r\nOK\r\n");
        }
        if (command.startsWith(QLatin1String("AT+CMGD="))) {
            m_deletes << command.mid(8);
            if (failDeletes)
                return QStringLiteral("\r\nERROR\r\n");
            m_stored.remove(command.mid(8).toInt());
        }
        return QStringLiteral("\r\nOK\r\n");
    }

    PtyPeer m_peer;
    std::mutex m_mutex;
    QMap<int, QString> m_stored;
    QString m_memory;
    QStringList m_deletes;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

QList<InboxRecord> Load(const InboxStore& store) {
    QList<InboxRecord> records;
    EXPECT_TRUE(store.Load(&records));
    return records;
}

} // namespace

TEST(DeliveryCollector, MessageReadAgainAfterFailedDeleteIsStoredOnceThenDeleted) {
    QTemporaryDir dir;
    InboxStore inbox(dir.filePath(QStringLiteral("Inbox.vrix")));
    StorageDevice device({{1, kPart1}, {2, kStop}, {3, kPart2}});
    CSMSSerialPort port;
    port.Open(2000, device.Path());

    {
        DeliveryCollector collector({nullptr, &inbox, nullptr}, NumberComparison());
        collector.Collect(port, 0);
        collector.Collect(port, 0); // the deletes failed: the same listing again
        EXPECT_EQ(collector.Counts().messages, 2);
        EXPECT_EQ(collector.Counts().alreadyStored, 3);
    }
    // The program started again: what the inbox file holds is known by its keys.
    DeliveryCollector later({nullptr, &inbox, nullptr}, NumberComparison());
    later.Collect(port, 0);
    EXPECT_EQ(later.Counts().messages, 0);
    EXPECT_EQ(later.Counts().alreadyStored, 3);

    QList<InboxRecord> kept = Load(inbox);
    ASSERT_EQ(kept.size(), 2);
    EXPECT_EQ(kept[0].number, QStringLiteral("+447700900124"));
    EXPECT_EQ(kept[0].text, QStringLiteral("STOP"));
    EXPECT_EQ(kept[0].keys, QStringList{InboxKeys::KeyOf(port.PortName(), kStop)});
    EXPECT_EQ(kept[1].text, QStringLiteral("Hello part one, part two."));
    EXPECT_EQ(kept[1].keys.size(), 2);
    // Every stored PDU was asked to be deleted on every pass.
    EXPECT_EQ(device.Deletes().size(), 9);

    device.failDeletes = false;
    later.Collect(port, 0);
    EXPECT_EQ(device.Stored(), 0);
    EXPECT_EQ(Load(inbox).size(), 2);
}

TEST(DeliveryCollector, NothingLeavesTheDeviceWhenTheInboxCannotBeWritten) {
    QTemporaryDir dir;
    InboxStore inbox(dir.filePath(QStringLiteral("missing/Inbox.vrix")));
    StorageDevice device({{1, kPart1}, {2, kStop}, {3, kPart2}});
    device.failDeletes = false;
    CSMSSerialPort port;
    port.Open(2000, device.Path());
    DeliveryCollector collector({nullptr, &inbox, nullptr}, NumberComparison());
    collector.Collect(port, 0);
    EXPECT_TRUE(device.Deletes().isEmpty());
    EXPECT_EQ(device.Stored(), 3);
}

TEST(InboxKeys, KnowsWhatIsAppendedAndReadsAReplacedFileAgain) {
    QTemporaryDir dir;
    InboxStore store(dir.filePath(QStringLiteral("Inbox.vrix")));
    InboxKeys keys(store.Path());
    ASSERT_TRUE(keys.Refresh()); // no file yet
    InboxRecord a;
    a.text = QStringLiteral("a");
    a.keys = {InboxKeys::KeyOf(QStringLiteral("350000000000301"), kStop)};
    InboxRecord b = a;
    b.keys = {InboxKeys::KeyOf(QStringLiteral("350000000000302"), kStop), InboxKeys::KeyOf(QString(), kPart1)};
    ASSERT_TRUE(store.Append(a));
    ASSERT_TRUE(keys.Refresh());
    EXPECT_TRUE(keys.Contains(a.keys[0]));
    EXPECT_FALSE(keys.Contains(b.keys[0])); // the same PDU from another device is another message
    ASSERT_TRUE(store.Append(b));
    ASSERT_TRUE(keys.Refresh());
    EXPECT_EQ(keys.Count(), 3u);

    // A deletion replaces the file; the reader starts again from its beginning.
    InboxKeys fresh(store.Path());
    ASSERT_TRUE(store.Rewrite({b}));
    ASSERT_TRUE(fresh.Refresh());
    EXPECT_FALSE(fresh.Contains(a.keys[0]));
    EXPECT_TRUE(fresh.Contains(b.keys[1]));
    // The key ignores case and surrounding blanks of the hex, as devices differ in both.
    EXPECT_EQ(InboxKeys::KeyOf(QStringLiteral("d"), kStop.toLower() + QLatin1Char(' ')),
              InboxKeys::KeyOf(QStringLiteral("d"), kStop));
}
