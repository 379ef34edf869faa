#include "CliSendRun.h"

#include "CliCommand.h"

#include "common/ResultText.h"
#include "devices/DeviceSelectionController.h"
#include "sending/SendRun.h"
#include "session/Session.h"

#include <mutex>

namespace {

// Progress on stderr: the progress label when it changes (at most every 5%), pauses and diagnostics.
class CliSendObserver final : public SendObserver {
public:
    void Progress(int position, int total, const QString& label) override {
        std::lock_guard lock(m_mutex);
        const int step = total > 0 ? position * 20 / total : 0;
        if (label.contains(QLatin1String("Message or")) && (step != m_lastStep || position == total) &&
            label != m_lastLabel) {
            m_lastStep = step;
            m_lastLabel = label;
            CliErr(label);
        }
    }
    void PauseLabel(const QString& text) override {
        std::lock_guard lock(m_mutex);
        if (!text.isEmpty() && !m_paused)
            CliErr(text);
        m_paused = !text.isEmpty();
    }
    void StatusLabel(const QString& text) override { CliErr(text); }
    void Diagnostic(const QString& text) override { CliErr(text); }

private:
    std::mutex m_mutex;
    int m_lastStep = -1;
    QString m_lastLabel;
    bool m_paused = false;
};

} // namespace

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

bool CliRunToEnd(Session& session, SendContext context, const std::function<void(const SendJob&)>& afterRun) {
    CliSendObserver observer;
    context.observer = &observer;
    SendRun run(context);
    run.Open();
    while (!run.WaitForEnd(1000)) {
    }
    run.RequestStop(true); // closes the finished window: the end-of-run logging follows at once
    const SendJob& job = run.Job();
    bool allSent = job.RowCount() > 0;
    for (int r = 0; r < job.RowCount(); ++r) {
        const SendJob::Row row = job.RowAt(r);
        allSent = allSent && ResultText::IsSent(row[SendJob::kStatus]);
        CliOut(QStringLiteral("%1\t%2\t%3\t%4")
                   .arg(row[SendJob::kNumber], row[SendJob::kCurrentStatus], row[SendJob::kStatus],
                        row[SendJob::kRetry]));
    }
    CliOut(SendJob::ProgressLabel(session.RunState().processedCount.load(), job.RowCount()));
    if (afterRun)
        afterRun(job);
    return allSent;
}
