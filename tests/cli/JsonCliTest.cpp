// --json: every command that prints a table or a result prints JSON that a JSON parser takes, with the fields
// scripts rely on; send and send-one print one object per row. Run against simulated modems and data folders
// of the test's own.

#include "CliProcess.h"
#include "fakes/DeviceTestSupport.h"

#include "app/DataPaths.h"
#include "records/SentItemsStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

using DeviceTest::StartSim;

namespace {

class JsonCli : public CliTest {
protected:
    // Runs the command with --json; checks that stdout is exactly one JSON document on one line.
    QJsonDocument Json(const QStringList& args, int expectedExit = 0) {
        const CliRun run = RunCli(args + QStringList{QStringLiteral("--json")});
        const std::string what = args.join(' ').toStdString();
        EXPECT_EQ(run.exitCode, expectedExit) << what << "\n" << run.err.toStdString();
        EXPECT_EQ(run.bytes.count('\n'), 1) << what << "\n" << run.out.toStdString();
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(run.bytes, &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << what << ": " << error.errorString().toStdString();
        return document;
    }
    // Runs a streaming command with --json: every stdout line one JSON object.
    QList<QJsonObject> JsonLines(const QStringList& args, int expectedExit) {
        const CliRun run = RunCli(args + QStringList{QStringLiteral("--json")});
        EXPECT_EQ(run.exitCode, expectedExit) << run.err.toStdString();
        QList<QJsonObject> objects;
        for (const QByteArray& line : run.bytes.split('\n')) {
            if (line.isEmpty())
                continue;
            QJsonParseError error{};
            const QJsonDocument document = QJsonDocument::fromJson(line, &error);
            EXPECT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
            EXPECT_TRUE(document.isObject()) << line.toStdString();
            objects << document.object();
        }
        return objects;
    }
    QStringList Data() const { return {QStringLiteral("--data"), m_dir.path()}; }
};

} // namespace

TEST_F(JsonCli, DataFolderCommands) {
    EXPECT_EQ(Json(QStringList{"datadir"} + Data()).object()["data_folder"].toString(),
              DataPaths(m_dir.path()).DataFolder());

    EXPECT_EQ(Json(QStringList{"templates", "--add", "two\nlines \"quoted\""} + Data()).array(),
              QJsonArray{QStringLiteral("two\nlines \"quoted\"")});

    const DataPaths paths(m_dir.path());
    ASSERT_TRUE(SentItemsStore(paths.SentItemFile()).Append({"+441", "a\r\nb", "05/03/2024", "Error : x"}));
    const QJsonArray sent = Json(QStringList{"sent"} + Data()).array();
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(
        sent[0].toObject(),
        (QJsonObject{{"number", "+441"}, {"message", "a\r\nb"}, {"date", "05/03/2024"}, {"status", "Error : x"}}));

    const QString numbers = File(QStringLiteral("stop.txt"), "+15550001,+15550002\n+15550003\n");
    const QJsonObject created =
        Json(QStringList{"exclusion", "--create", "Stop", "--numbers", numbers} + Data()).object();
    EXPECT_EQ(created["list"].toString(), QStringLiteral("Stop"));
    EXPECT_EQ(created["numbers"].toInt(), 3);
    EXPECT_EQ(Json(QStringList{"exclusion", "--lists"} + Data()).array(), QJsonArray{QStringLiteral("Stop")});
    EXPECT_EQ(Json(QStringList{"exclusion", "--show", "stop"} + Data()).array().size(), 3);
    EXPECT_EQ(Json(QStringList{"exclusion", "--apply", "Stop"} + Data()).array(), QJsonArray{QStringLiteral("Stop")});

    // Every number excluded: no row taken is a refusal, and the (empty) rows are still JSON.
    const QJsonArray rows = Json(QStringList{"import", numbers, "--message", "hi", "--exclusion"} + Data(), 1).array();
    EXPECT_TRUE(rows.isEmpty());
    const QString contacts = File(QStringLiteral("contacts.txt"), "+15550009\n");
    EXPECT_EQ(Json(QStringList{"import", contacts, "--message", "hi"} + Data()).array(),
              (QJsonArray{QJsonObject{{"number", "+15550009"}, {"message", "hi"}}}));
}

TEST_F(JsonCli, DeviceCommands) {
    auto sim = StartSim(QStringLiteral("hexcharset"), QStringLiteral("351234567890123"));
    const QString port = sim->PortName();

    const QJsonObject info = Json({"info", "--port", port}).object();
    EXPECT_EQ(info["port"].toString(), port);
    EXPECT_EQ(info["details"]["Manufacturer"].toString(), QStringLiteral("SIMCOM"));
    EXPECT_EQ(info["details"]["Signal Quality"].toString(), QStringLiteral("Good (17)"));

    const QJsonArray contacts = Json({"phonebook", "--port", port, "--ucs2-names"}).array();
    ASSERT_EQ(contacts.size(), 5);
    EXPECT_EQ(contacts[0].toObject(), (QJsonObject{{"number", "+919845012345"}, {"type", 145}, {"name", "Asha Rao"}}));

    const QJsonObject scan =
        Json({"scan", "--no-enumerate", "--port", port, "--port", "/nonexistent/ttyUSB9"}).object();
    const QJsonArray devices = scan["devices"].toArray();
    ASSERT_EQ(devices.size(), 1);
    EXPECT_EQ(devices[0]["port"].toString(), port);
    EXPECT_EQ(devices[0]["imei"].toString(), QStringLiteral("351234567890123"));
    EXPECT_EQ(devices[0]["details"]["Model"].toString(), QStringLiteral("SIM800 Simulated"));
    const QJsonArray ports = scan["ports"].toArray();
    ASSERT_EQ(ports.size(), 2);
    EXPECT_TRUE(ports[0]["listed"].toBool());
    EXPECT_FALSE(ports[1]["listed"].toBool());
    EXPECT_EQ(ports[1]["status"].toString(), QStringLiteral("Cannot access this port (No such file or directory)"));

    // No device: exit status 1, and stdout is still one JSON document.
    EXPECT_TRUE(
        Json({"scan", "--no-enumerate", "--port", "/nonexistent/ttyUSB9"}, 1).object()["devices"].toArray().isEmpty());
    EXPECT_TRUE(Json({"ports"}).isArray());

    const QJsonArray pdus = Json({"encode-pdu", "--to", "+15550001", "--text", QString(200, QLatin1Char('a'))}).array();
    ASSERT_EQ(pdus.size(), 2);
    EXPECT_GT(pdus[0]["length"].toInt(), 0);
    EXPECT_TRUE(QByteArray::fromHex(pdus[0]["pdu"].toString().toLatin1()).size() > 0);

    // A failure prints no JSON: the error is text on stderr.
    const CliRun failed = RunCli({"info", "--port", "/nonexistent/ttyUSB9", "--json"});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.out.isEmpty());
    EXPECT_TRUE(failed.err.contains(QStringLiteral("No such file or directory")));
}

// One object per row, each the moment the row is done; the exit status tells whether every row was sent.
TEST_F(JsonCli, SendPrintsOneObjectPerRow) {
    auto sim = StartSim(QStringLiteral("reject:+15550002=38"));
    const QString rows = File(QStringLiteral("rows.txt"), "+15550001\tfirst\n+15550002\tsecond\n+15550003\tthird\n");
    const QList<QJsonObject> objects =
        JsonLines(QStringList{"send", "--port", sim->PortName(), "--rows", rows, "--timing", "fast"} + Data(), 1);
    ASSERT_EQ(objects.size(), 3);
    QMap<int, QJsonObject> byRow;
    for (const QJsonObject& o : objects)
        byRow.insert(o["row"].toInt(), o);
    ASSERT_EQ(byRow.keys(), (QList<int>{1, 2, 3}));
    EXPECT_EQ(byRow[1]["number"].toString(), QStringLiteral("+15550001"));
    EXPECT_EQ(byRow[1]["result"].toString(), QStringLiteral("Message sent successfully."));
    EXPECT_TRUE(byRow[1]["sent"].toBool());
    EXPECT_EQ(byRow[1]["port"].toString(), sim->PortName());
    EXPECT_EQ(byRow[1]["retries"].toInt(), 0);
    EXPECT_TRUE(byRow[1]["state"].toString().startsWith(QStringLiteral("Done (")));
    EXPECT_FALSE(byRow[2]["sent"].toBool());
    EXPECT_EQ(byRow[2]["result"].toString(), QStringLiteral("Error : +CMS ERROR: 38"));
    EXPECT_TRUE(byRow[3]["sent"].toBool());

    const QList<QJsonObject> one =
        JsonLines({"send-one", "--port", sim->PortName(), "--to", "+15550009", "--text", "hi", "--timing", "fast"}, 0);
    ASSERT_EQ(one.size(), 1);
    EXPECT_EQ(one[0], (QJsonObject{{"row", 1},
                                   {"number", "+15550009"},
                                   {"result", "Message sent successfully."},
                                   {"sent", true},
                                   {"port", sim->PortName()}}));
}

TEST_F(JsonCli, WorkbookAndUdevRule) {
    // The workbook's output is JSON already; --json is accepted like everywhere.
    const CliRun workbook = RunCli({"workbook", "--json", m_dir.filePath(QStringLiteral("none.xlsx"))});
    EXPECT_EQ(workbook.exitCode, 1);
    // A pseudo-terminal is on no USB bus: no rule, no JSON.
    auto sim = StartSim();
    const CliRun rule = RunCli({"udev-rule", "--port", sim->PortName(), "--json"});
    EXPECT_EQ(rule.exitCode, 1);
    EXPECT_TRUE(rule.out.isEmpty());
    EXPECT_TRUE(rule.err.contains(QStringLiteral("is not a USB device"))) << rule.err.toStdString();
}
