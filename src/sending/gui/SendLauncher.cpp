#include "sending/gui/SendLauncher.h"

#include "sending/SendRun.h"
#include "sending/gui/CSMS_Sending.h"
#include "app/Prompter.h"
#include "journal/PgJobStore.h"
#include "session/DatabaseSend.h"
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

void SendLauncher::StartThroughDatabase(const PgUrl& url, std::function<void()> clearFields) {
    ++m_workers;
    struct Submitted {
        // Shared so the result can be copied by the pool; the window takes the send out of it.
        std::shared_ptr<std::unique_ptr<DatabaseSend>> send = std::make_shared<std::unique_ptr<DatabaseSend>>();
        QString refusal;
    };
    UiTask::Run<Submitted>(
        this,
        [this, url] {
            Submitted out;
            std::unique_ptr<PgJobStore> store;
            JournalResult result = DatabaseSend::OpenStore(url, &store);
            if (result.ok) {
                auto send = std::make_unique<DatabaseSend>(std::move(store), m_prompter);
                result = send->Submit(m_session);
                if (result.ok)
                    *out.send = std::move(send);
            }
            out.refusal = result.message;
            return out;
        },
        [this, clearFields = std::move(clearFields)](Submitted submitted) {
            if (!*submitted.send) {
                --m_workers;
                m_prompter.Notice(submitted.refusal);
                return;
            }
            Show(new CSMS_Sending(std::move(*submitted.send), m_prompter, m_owner), clearFields,
                 [this] { --m_workers; });
        });
}

void SendLauncher::Show(CSMS_Sending* window, const std::function<void()>& clearFields, std::function<void()> closed) {
    connect(window, &CSMS_Sending::ClearFieldsRequested, this, clearFields);
    m_window = window;
    connect(window, &QDialog::finished, this, [this, window, closed = std::move(closed)] {
        m_window = nullptr;
        // Deleted from the event loop, not from inside its own signal; its run's threads are joined then.
        QTimer::singleShot(0, this, [window, closed] {
            delete window;
            closed();
        });
    });
    window->open();
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
            // The worker goes on (and releases the run's ports) once the window and its run are gone, so no
            // thread of the run still uses a port.
            Show(new CSMS_Sending(std::move(context), m_prompter, m_owner), clearFields,
                 [closed] { closed->set_value(); });
        },
        Qt::QueuedConnection);
    ended.wait();
}
