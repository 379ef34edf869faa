// The session's resume at the program's start: the offer, and the run's devices found by a port scan.

#include "session/Session.h"

#include "devices/DeviceSelectionController.h"

Session::ResumeOutcome Session::OfferResumeAtStart(std::function<std::vector<PortInfo>()> ports,
                                                   const SendCommand::OpenRun& open) {
    std::vector<JournalRunSummary> runs;
    if (!InterruptedRuns(&runs) || runs.empty())
        return ResumeOutcome::NoRun;
    ResumeChoices choices;
    choices.runId = runs.front().id;
    choices.scanPorts = std::move(ports);
    return ResumeRun(choices, open);
}

void Session::SelectRunDevices(const QSet<QString>& imeis, const std::function<std::vector<PortInfo>()>& ports) {
    DeviceSelectionController::Options options;
    options.timing = Timing();
    DeviceSelectionController selection(m_devices, m_prompter, ports, options);
    selection.ScanNow(nullptr);
    const std::vector<DeviceRecord> rows = selection.Rows();
    std::vector<int> chosen;
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        if (!rows[static_cast<size_t>(r)].imei.isEmpty() && imeis.contains(rows[static_cast<size_t>(r)].imei))
            chosen.push_back(r);
    }
    if (!chosen.empty())
        static_cast<void>(selection.OnUseSelectedDevice(chosen, {}));
}
