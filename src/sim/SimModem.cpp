#include "sim/SimModem.h"

#include "sim/SimDialogue.h"
#include "sim/SimNetwork.h"

#include <QFile>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// Output the client has not read yet is held up to this size; past it, new output is dropped (a client that
// never reads must not make the simulator grow without bound).
constexpr qsizetype kMaxQueuedBytes = 1 << 20;
// Command lines kept for CommandsReceived(); the older half is dropped when a long run passes this count.
constexpr qsizetype kMaxCommandsKept = 100000;
// How often a followed injection file is checked for new lines.
constexpr int kInjectPollMs = 100;
// Injection problems kept for InjectionErrors().
constexpr qsizetype kMaxInjectionErrors = 1000;

// Serialises log appends of every simulated modem in the process: two instances may share one log file.
std::mutex& LogMutex() {
    static std::mutex mutex;
    return mutex;
}

QString ErrnoText(const QString& what) {
    return QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(errno)));
}

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

void CloseFd(int* fd) {
    if (*fd >= 0)
        ::close(*fd);
    *fd = -1;
}

} // namespace

struct SimModem::Impl {
    explicit Impl(Options o) : options(std::move(o)) {}

    Options options;

    mutable std::mutex mutex; // guards submissions, commands, callback, injected and injectionErrors
    std::vector<SimSubmission> submissions;
    QStringList commands;
    std::function<void(const SimSubmission&)> callback;
    std::deque<SimIncomingMessage> injected; // handed over to the serving thread
    QStringList injectionErrors;
    std::atomic<bool> stopping{false};

    // Owned by Start()/Stop(); the serving thread only uses them between the two.
    int master = -1;
    int slave = -1; // held open so that a client closing the port never leaves the master hung up
    int wake = -1;  // eventfd: Stop() ends the serving thread's poll
    int log = -1;
    qint64 injectOffset = 0; // bytes of the injection file already taken
    QString slavePath;
    bool linked = false;
    std::thread thread;

    bool Open(QString* error);
    bool MakeLink(QString* error);
    void CloseAll();
    void Run();
    void Accept(SimSubmission s);
    void NoteInjectionError(const QString& why);
    // New complete lines of the injection file, each a message for the dialogue.
    void FollowInjectFile(SimDialogue* dialogue);
};

bool SimModem::Impl::Open(QString* error) {
    master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) {
        *error = ErrnoText(QStringLiteral("cannot open a pseudo-terminal"));
        return false;
    }
    char name[128] = {};
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || ::ptsname_r(master, name, sizeof name) != 0) {
        *error = ErrnoText(QStringLiteral("cannot unlock the pseudo-terminal"));
        return false;
    }
    slavePath = QString::fromLocal8Bit(name);
    slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        *error = ErrnoText(QStringLiteral("cannot open %1").arg(slavePath));
        return false;
    }
    // Raw line discipline: no echo, no line editing, no CR/LF translation in either direction. The modem
    // echoes by itself, as a real one does.
    termios tio{};
    if (::tcgetattr(slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        tio.c_cc[VMIN] = 1;
        tio.c_cc[VTIME] = 0;
        ::cfsetspeed(&tio, B115200);
        ::tcsetattr(slave, TCSANOW, &tio);
    }
    const int flags = ::fcntl(master, F_GETFL);
    if (flags < 0 || ::fcntl(master, F_SETFL, flags | O_NONBLOCK) != 0) {
        *error = ErrnoText(QStringLiteral("cannot make the pseudo-terminal non-blocking"));
        return false;
    }
    wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake < 0) {
        *error = ErrnoText(QStringLiteral("cannot make an eventfd"));
        return false;
    }
    if (!options.injectPath.isEmpty() && !QFile::exists(options.injectPath)) {
        *error = QStringLiteral("the injection file %1 does not exist").arg(options.injectPath);
        return false;
    }
    if (!options.logPath.isEmpty()) {
        log = ::open(QFile::encodeName(options.logPath).constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (log < 0) {
            *error = ErrnoText(QStringLiteral("cannot open the log %1").arg(options.logPath));
            return false;
        }
    }
    return options.linkPath.isEmpty() || MakeLink(error);
}

bool SimModem::Impl::MakeLink(QString* error) {
    const QByteArray link = QFile::encodeName(options.linkPath);
    const QByteArray target = QFile::encodeName(slavePath);
    struct stat st {};
    // A symbolic link left at the path (by a run that was killed) is replaced; anything else is not ours.
    if (::lstat(link.constData(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        *error = QStringLiteral("%1 exists and is not a symbolic link").arg(options.linkPath);
        return false;
    }
    // Made under a temporary name and renamed over the path, so the path never names nothing or a half-made
    // link.
    const QByteArray temporary =
        link + ".tmp" + QByteArray::number(::getpid()) + "." + QByteArray::number(reinterpret_cast<quintptr>(this), 16);
    ::unlink(temporary.constData());
    if (::symlink(target.constData(), temporary.constData()) != 0) {
        *error = ErrnoText(QStringLiteral("cannot make the link %1").arg(options.linkPath));
        return false;
    }
    if (::rename(temporary.constData(), link.constData()) != 0) {
        *error = ErrnoText(QStringLiteral("cannot make the link %1").arg(options.linkPath));
        ::unlink(temporary.constData());
        return false;
    }
    linked = true;
    return true;
}

void SimModem::Impl::CloseAll() {
    // The master first: a client holding the slave sees the hang-up of an unplugged modem.
    CloseFd(&master);
    CloseFd(&slave);
    CloseFd(&wake);
    CloseFd(&log);
    if (linked) {
        // Removed only while it still names our pty: another simulator may have taken the path since.
        const QByteArray link = QFile::encodeName(options.linkPath);
        char target[512] = {};
        const ssize_t n = ::readlink(link.constData(), target, sizeof target - 1);
        if (n > 0 && QString::fromLocal8Bit(target, n) == slavePath)
            ::unlink(link.constData());
        linked = false;
    }
}

void SimModem::Impl::Accept(SimSubmission s) {
    s.acceptedMs = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count();
    std::function<void(const SimSubmission&)> notify;
    {
        std::lock_guard lock(mutex);
        submissions.push_back(s);
        notify = callback;
    }
    if (log >= 0) {
        const QByteArray line = s.ToJson().toUtf8() + '\n';
        std::lock_guard lock(LogMutex());
        WriteAll(log, line.constData(), static_cast<std::size_t>(line.size())); // one write per line: O_APPEND
    }
    if (notify)
        notify(s);
}

void SimModem::Impl::NoteInjectionError(const QString& why) {
    std::lock_guard lock(mutex);
    if (injectionErrors.size() < kMaxInjectionErrors)
        injectionErrors << why;
}

void SimModem::Impl::FollowInjectFile(SimDialogue* dialogue) {
    QFile file(options.injectPath);
    if (!file.open(QIODevice::ReadOnly))
        return;
    if (file.size() < injectOffset)
        injectOffset = 0; // the file was emptied and written anew
    if (file.size() == injectOffset || !file.seek(injectOffset))
        return;
    const QByteArray tail = file.readAll();
    const qsizetype end = tail.lastIndexOf('\n');
    if (end < 0)
        return; // a line still being written
    injectOffset += end + 1;
    for (const QByteArray& raw : tail.left(end).split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty())
            continue;
        QString why;
        const std::optional<SimIncomingMessage> message = SimIncomingMessage::FromJson(line, &why);
        if (!message || !dialogue->Inject(*message, &why))
            NoteInjectionError(QStringLiteral("%1: %2").arg(QString::fromUtf8(line), why));
    }
}

void SimModem::Impl::Run() {
    struct Pending {
        QByteArray bytes;
        Clock::time_point due;
    };
    SimDialogue dialogue(options.profile, options.identity);
    const Clock::time_point started = Clock::now();
    const auto sinceStart = [started](Clock::time_point t) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(t - started).count();
    };
    std::deque<Pending> queue;
    qsizetype queuedBytes = 0;
    qsizetype written = 0; // of the queue's front
    Clock::time_point lastDue = Clock::now();
    Clock::time_point nextFileCheck = Clock::now();
    const bool following = !options.injectPath.isEmpty();
    char buffer[4096];

    for (;;) {
        // Write what is due, in order; a full pty buffer waits for POLLOUT.
        bool waitWritable = false;
        while (!queue.empty() && queue.front().due <= Clock::now()) {
            Pending& front = queue.front();
            const ssize_t n = ::write(master, front.bytes.constData() + written,
                                      static_cast<std::size_t>(front.bytes.size() - written));
            if (n > 0) {
                written += n;
                if (written == front.bytes.size()) {
                    queuedBytes -= front.bytes.size();
                    queue.pop_front();
                    written = 0;
                }
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                waitWritable = true;
                break;
            }
            queue.clear(); // the port is gone: nothing left to say
            queuedBytes = 0;
            written = 0;
            break;
        }

        // Wake for the next output, the dialogue's next event or the next look at the injection file.
        const Clock::time_point now = Clock::now();
        std::optional<Clock::time_point> wakeAt;
        const auto wakeBy = [&wakeAt](Clock::time_point t) {
            if (!wakeAt || t < *wakeAt)
                wakeAt = t;
        };
        if (!queue.empty() && !waitWritable)
            wakeBy(queue.front().due);
        if (const std::optional<qint64> event = dialogue.NextEventMs())
            wakeBy(started + std::chrono::milliseconds(*event));
        if (following)
            wakeBy(nextFileCheck);
        int timeoutMs = -1;
        if (wakeAt) {
            const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*wakeAt - now);
            timeoutMs = static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(wait.count(), 0, 60000));
        }
        pollfd fds[2] = {{wake, POLLIN, 0}, {master, static_cast<short>(POLLIN | (waitWritable ? POLLOUT : 0)), 0}};
        const int rc = ::poll(fds, 2, timeoutMs);
        if (rc < 0) {
            if (errno == EINTR)
                continue;
            break;
        }

        SimDialogue::Result result;
        // The clock first, so that injected messages are timed from now.
        dialogue.Advance(sinceStart(Clock::now()), &result);
        if (fds[0].revents != 0) {
            std::uint64_t count = 0;
            while (::read(wake, &count, sizeof count) < 0 && errno == EINTR) {
            }
            if (stopping)
                break; // Stop()
            std::deque<SimIncomingMessage> messages;
            {
                std::lock_guard lock(mutex);
                messages.swap(injected);
            }
            for (const SimIncomingMessage& m : messages) {
                QString why;
                if (!dialogue.Inject(m, &why))
                    NoteInjectionError(why);
            }
        }
        if (following && Clock::now() >= nextFileCheck) {
            FollowInjectFile(&dialogue);
            nextFileCheck = Clock::now() + std::chrono::milliseconds(kInjectPollMs);
        }
        dialogue.Advance(sinceStart(Clock::now()), &result);

        if (fds[1].revents & POLLIN) {
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n > 0)
                dialogue.Feed(QByteArray(buffer, n), &result);
            else if (n < 0 && errno != EAGAIN && errno != EINTR)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        } else if (fds[1].revents & (POLLHUP | POLLERR)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10)); // never spin on a hung-up master
        }

        if (!result.commands.isEmpty()) {
            std::lock_guard lock(mutex);
            commands << result.commands;
            if (commands.size() > kMaxCommandsKept)
                commands.remove(0, commands.size() / 2);
        }
        for (SimOutput& out : result.outputs) {
            const Clock::time_point due = std::max(Clock::now(), lastDue) + std::chrono::milliseconds(out.delayMs);
            lastDue = due;
            if (queuedBytes + out.bytes.size() > kMaxQueuedBytes)
                continue;
            queuedBytes += out.bytes.size();
            queue.push_back({std::move(out.bytes), due});
        }
        for (const SimSubmission& s : result.accepted)
            Accept(s);
    }
}

SimModem::SimModem(Options options) : m_impl(std::make_unique<Impl>(std::move(options))) {}

SimModem::~SimModem() {
    Stop();
}

bool SimModem::Start(QString* error) {
    Impl& d = *m_impl;
    QString why;
    if (d.thread.joinable()) {
        why = QStringLiteral("the simulated modem is already running");
    } else if (!d.Open(&why)) {
        d.CloseAll();
    } else {
        {
            std::lock_guard lock(d.mutex);
            d.submissions.clear();
            d.commands.clear();
            d.injected.clear();
            d.injectionErrors.clear();
        }
        d.stopping = false;
        d.injectOffset = 0;
        d.thread = std::thread([&d] { d.Run(); });
        return true;
    }
    if (error)
        *error = why;
    return false;
}

void SimModem::Stop() {
    Impl& d = *m_impl;
    if (d.thread.joinable()) {
        d.stopping = true;
        const std::uint64_t one = 1;
        while (::write(d.wake, &one, sizeof one) < 0 && errno == EINTR) {
        }
        d.thread.join();
    }
    d.CloseAll();
}

QString SimModem::PortName() const {
    return m_impl->options.linkPath.isEmpty() ? m_impl->slavePath : m_impl->options.linkPath;
}

std::vector<SimSubmission> SimModem::Submissions() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->submissions;
}

int SimModem::SubmissionCount() const {
    std::lock_guard lock(m_impl->mutex);
    return static_cast<int>(m_impl->submissions.size());
}

void SimModem::SetSubmissionCallback(std::function<void(const SimSubmission&)> callback) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->callback = std::move(callback);
}

QStringList SimModem::CommandsReceived() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->commands;
}

int SimModem::CountCommands(const QString& prefix) const {
    std::lock_guard lock(m_impl->mutex);
    int n = 0;
    for (const QString& command : m_impl->commands)
        n += command.startsWith(prefix) ? 1 : 0;
    return n;
}

bool SimModem::Inject(const SimIncomingMessage& message, QString* error) {
    Impl& d = *m_impl;
    QString why;
    if (!d.thread.joinable() || d.stopping) {
        why = QStringLiteral("the simulated modem is not running");
    } else if (SimNetwork::CheckIncoming(message, &why)) {
        {
            std::lock_guard lock(d.mutex);
            d.injected.push_back(message);
        }
        const std::uint64_t one = 1;
        while (::write(d.wake, &one, sizeof one) < 0 && errno == EINTR) {
        }
        return true;
    }
    if (error)
        *error = why;
    return false;
}

QStringList SimModem::InjectionErrors() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->injectionErrors;
}
