#include "sending/gui/SendLauncher.h"

#include "sending/SendRun.h"
#include "sending/gui/CSMS_Sending.h"
#include "session/Session.h"
#include "ui/UiTask.h"

#include <QCoreApplication>
#include <QTimer>

#include <future>
#include <memory>

SendLauncher::SendLauncher(Session& session, Prompter& prompter, QWidget* owner, double clockScale)
    : QObject(owner), m_session(session), m_prompter(prompter), m_owner(owner), m_clockScale(clockScale) {}

SendLauncher::~SendLauncher() {
    // The send worker waits for its progress window: close it, then let the worker end (its questions are
    // served by this thread meanwhile).
    if (m_window != nullptr)
        m_window->done(QDialog::Rejected);
    while (m_workers.load() > 0)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

void SendLauncher::Start(SendCommand::Plan plan, std::function<void()> clearFields,
                         std::function<void(SendCommand::RunOutcome)> done) {
    ++m_workers;
    auto shared = std::make_shared<SendCommand::Plan>(std::move(plan));
    UiTask::Run<SendCommand::RunOutcome>(
        this,
        [this, shared, clearFields = std::move(clearFields)] {
            const SendCommand::RunOutcome outcome = m_session.RunSend(
                std::move(*shared), [&](SendContext context) { OpenAndWait(std::move(context), clearFields); });
            --m_workers;
            return outcome;
        },
        std::move(done));
}

void SendLauncher::StartWith(std::function<void(const SendCommand::OpenRun& open)> operation,
                             std::function<void()> done) {
    ++m_workers;
    UiTask::Run<bool>(
        this,
        [this, operation = std::move(operation)] {
            operation([&](SendContext context) { OpenAndWait(std::move(context), [] {}); });
            --m_workers;
            return true;
        },
        [done = std::move(done)](bool) {
            if (done)
                done();
        });
}

void SendLauncher::OpenAndWait(SendContext context, const std::function<void()>& clearFields) {
    auto closed = std::make_shared<std::promise<void>>();
    std::future<void> ended = closed->get_future();
    QMetaObject::invokeMethod(
        this,
        [this, context = std::move(context), closed, clearFields]() mutable {
            context.clock = SendClock(m_clockScale);
            auto* window = new CSMS_Sending(std::move(context), m_prompter, m_owner);
            connect(window, &CSMS_Sending::ClearFieldsRequested, this, clearFields);
            m_window = window;
            // The worker goes on (and releases the run's ports) once the window and its run are gone, so no
            // thread of the run still uses a port.
            connect(window, &QDialog::finished, this, [this, window, closed] {
                m_window = nullptr;
                // Deleted from the event loop, not from inside its own signal; its run's threads are joined then.
                QTimer::singleShot(0, this, [window, closed] {
                    delete window;
                    closed->set_value();
                });
            });
            window->open();
        },
        Qt::QueuedConnection);
    ended.wait();
}
