#include "CliSendRun.h"

#include "CliCommand.h"
#include "CliPort.h"
#include "CliProgressLine.h"
#include "CliSendObserver.h"

#include "common/ResultText.h"
#include "devices/DeviceSelectionController.h"
#include "sending/SendOptionsModel.h"
#include "sending/SendRun.h"
#include "session/Session.h"

bool CliSelectDevices(Session& session, const QStringList& ports, const std::map<QString, QString>& modes,
                      const std::map<QString, QString>& smscs) {
    std::vector<PortInfo> portInfos;
    for (const QString& port : ports)
        portInfos.push_back(PortInfo{port, QString(), PortInfo::Kind::Device});
    DeviceSelectionController::Options selectionOptions;
    selectionOptions.timing = session.Timing();
    DeviceSelectionController selection(
        session.Devices(), session.UserPrompter(), [portInfos] { return portInfos; }, selectionOptions);
    selection.ScanNow(nullptr);
    for (const ScanPortReport& report : selection.PortReports()) {
        if (!report.status.isEmpty())
            CliErr(QStringLiteral("%1: %2").arg(report.port.name, report.status));
        CliPort::PrintAdvice(report.advice);
    }
    const std::vector<DeviceRecord> rows = selection.Rows();
    std::vector<int> chosen;
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const QString& port = rows[static_cast<size_t>(r)].portName;
        if (const auto mode = modes.find(port); mode != modes.end())
            selection.SetRowSmsMode(r, mode->second == QLatin1String("pdu") ? DeviceRecord::kModePdu
                                                                            : DeviceRecord::kModeText);
        if (const auto smsc = smscs.find(port); smsc != smscs.end())
            selection.OnSaveCustomSmsc(r, smsc->second);
        chosen.push_back(r);
    }
    if (chosen.empty() || !selection.OnUseSelectedDevice(chosen, {}))
        return false;
    MainDeviceState& devices = session.Devices();
    for (const DeviceRecord& record : devices.Records()) {
        if (const auto smsc = smscs.find(record.portName); smsc != smscs.end())
            devices.UpdateRecord(record.slot, [&](DeviceRecord& r) {
                r.useCustomSmsc = true;
                r.customSmsc = smsc->second;
                r.smscNumber = r.customSmsc;
            });
    }
    return true;
}

bool CliRunToEnd(Session& session, SendContext context, bool json,
                 const std::function<void(const SendJob&)>& afterRun) {
    CliProgressLine progressLine;
    CliSendObserver observer(json, progressLine);
    context.observer = &observer;
    SendRun run(context);
    observer.Watch(run.Job());
    run.Open();
    while (!run.WaitForEnd(1000)) {
    }
    run.RequestStop(true); // closes the finished window: the end-of-run logging follows at once
    const SendJob& job = run.Job();
    observer.PrintRemainingRows();
    observer.Finish();
    bool allSent = job.RowCount() > 0;
    for (int r = 0; r < job.RowCount(); ++r) {
        const SendJob::Row row = job.RowAt(r);
        allSent = allSent && ResultText::IsSent(row[SendJob::kStatus]);
        if (!json)
            CliOut(QStringLiteral("%1\t%2\t%3\t%4")
                       .arg(row[SendJob::kNumber], row[SendJob::kCurrentStatus], row[SendJob::kStatus],
                            row[SendJob::kRetry]));
    }
    if (!json)
        CliOut(SendJob::ProgressLabel(session.RunState().processedCount.load(), job.RowCount()));
    if (afterRun)
        afterRun(job);
    return allSent;
}

bool CliReconnectWait(const CliArgs& a, std::optional<int>* seconds, QString* error) {
    seconds->reset();
    if (!a.Has("reconnect-wait"))
        return true;
    bool ok = false;
    const int value = a.Value("reconnect-wait").toInt(&ok);
    if (!ok || value < 0 || value > SendOptionsModel::kMaxReconnectWaitSeconds) {
        *error = QStringLiteral("--reconnect-wait takes a number of seconds from 0 to %1")
                     .arg(SendOptionsModel::kMaxReconnectWaitSeconds);
        return false;
    }
    *seconds = value;
    return true;
}
