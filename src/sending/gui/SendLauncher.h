#pragma once

#include "sending/SendCommand.h"

#include <QObject>

#include <atomic>
#include <functional>

class CSMS_Sending;
class Prompter;
class QWidget;
class Session;
struct SendContext;

// A send after its checks passed: the device preparation (which opens ports and may ask) on a send worker,
// then the progress window CSMS_Sending opened on the UI thread while the worker waits for it to close.
class SendLauncher final : public QObject {
public:
    // clockScale: real milliseconds per engine millisecond of the run's pauses and waits (tests shorten it).
    SendLauncher(Session& session, Prompter& prompter, QWidget* owner, double clockScale);
    ~SendLauncher() override;

    // done runs on the UI thread once the worker ended; clearFields at the end of a run with "Clear all
    // fields after sending SMS".
    void Start(SendCommand::Plan plan, std::function<void()> clearFields,
               std::function<void(SendCommand::RunOutcome)> done);
    // The same for a session operation that may open a run itself (a resume): it runs on a send worker with the
    // open step Start uses; done runs on the UI thread once it ended.
    void StartWith(std::function<void(const SendCommand::OpenRun& open)> operation, std::function<void()> done);
    bool IsRunning() const { return m_window != nullptr || m_workers.load() > 0; }
    CSMS_Sending* Window() const { return m_window; }

private:
    void OpenAndWait(SendContext context, const std::function<void()>& clearFields);

    Session& m_session;
    Prompter& m_prompter;
    QWidget* m_owner;
    double m_clockScale;
    CSMS_Sending* m_window = nullptr;
    std::atomic<int> m_workers{0};
};
