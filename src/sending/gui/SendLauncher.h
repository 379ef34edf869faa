#pragma once

#include "sending/SendCommand.h"

#include <QObject>

#include <atomic>
#include <functional>

class CSMS_Sending;
class Prompter;
class QWidget;
class Session;
struct PgUrl;
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
    // A send through the job database at url: the session's list submitted as a job on a pool thread, then
    // the progress window following it. A refusal (no database, an empty list) is told through the Prompter.
    void StartThroughDatabase(const PgUrl& url, std::function<void()> clearFields);
    // The same for a session operation that may open a run itself (a resume): it runs on a send worker with the
    // open step Start uses; done runs on the UI thread once it ended.
    void StartWith(std::function<void(const SendCommand::OpenRun& open)> operation, std::function<void()> done);
    bool IsRunning() const { return m_window != nullptr || m_workers.load() > 0; }
    CSMS_Sending* Window() const { return m_window; }

private:
    void OpenAndWait(SendContext context, const std::function<void()>& clearFields);
    // Shows the window on the UI thread; closed runs once it has gone.
    void Show(CSMS_Sending* window, const std::function<void()>& clearFields, std::function<void()> closed);

    Session& m_session;
    Prompter& m_prompter;
    QWidget* m_owner;
    double m_clockScale;
    CSMS_Sending* m_window = nullptr;
    std::atomic<int> m_workers{0};
};
