#include "PrivatePostgres.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QUrl>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Debian installs the server under a versioned folder; the newest present is used.
QString BinFolder() {
    for (const QString& version : {QStringLiteral("17"), QStringLiteral("16"), QStringLiteral("15")}) {
        const QString dir = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(version);
        if (QFile::exists(dir + QStringLiteral("/pg_ctl")) && QFile::exists(dir + QStringLiteral("/initdb")))
            return dir;
    }
    return {};
}

// Hands a path to the user the server runs as.
bool GiveTo(const QString& path, const QString& user) {
    const passwd* pw = getpwnam(user.toLocal8Bit().constData());
    return pw != nullptr && chown(QFile::encodeName(path).constData(), pw->pw_uid, pw->pw_gid) == 0;
}

} // namespace

QString PrivatePostgres::MissingReason() {
    if (BinFolder().isEmpty())
        return QStringLiteral("PostgreSQL server binaries are not installed (Debian package postgresql; "
                              "tools/deps.sh installs it)");
    if (QFile::exists(QStringLiteral("/usr/bin/psql")) == false)
        return QStringLiteral("psql is not installed (Debian package postgresql-client)");
    return {};
}

PrivatePostgres::PrivatePostgres() = default;

PrivatePostgres::~PrivatePostgres() {
    QString ignored;
    if (m_running)
        Stop(&ignored);
}

bool PrivatePostgres::RunTool(const QString& tool, const QStringList& args, QString* out, QString* error) {
    QProcess p;
    QStringList command{tool};
    command += args;
    QString program = command.takeFirst();
    if (!m_runAs.isEmpty()) {
        command.prepend(program);
        command.prepend(QStringLiteral("--"));
        command.prepend(m_runAs);
        command.prepend(QStringLiteral("-u"));
        program = QStringLiteral("runuser");
    }
    p.setWorkingDirectory(m_dir->path());
    p.start(program, command);
    if (!p.waitForStarted(10000) || !p.waitForFinished(60000)) {
        *error = QStringLiteral("%1 did not run: %2").arg(tool, p.errorString());
        p.kill();
        p.waitForFinished(5000);
        return false;
    }
    if (out)
        *out = QString::fromLocal8Bit(p.readAllStandardOutput());
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        *error = QStringLiteral("%1 failed (%2): %3")
                     .arg(tool)
                     .arg(p.exitCode())
                     .arg(QString::fromLocal8Bit(p.readAllStandardError()).trimmed());
        return false;
    }
    return true;
}

bool PrivatePostgres::Start(QString* error) {
    const QString bin = BinFolder();
    if (bin.isEmpty()) {
        *error = MissingReason();
        return false;
    }
    // Under root the server runs as another user, who must reach the folder: /tmp is open to everyone, while a
    // TMPDIR may sit in root's own home. The socket's path must also stay short (about 100 bytes).
    const QString base = geteuid() == 0 ? QStringLiteral("/tmp") : QDir::tempPath();
    m_dir = std::make_unique<QTemporaryDir>(base + QStringLiteral("/bulksms-pg-XXXXXX"));
    if (!m_dir->isValid()) {
        *error = m_dir->errorString();
        return false;
    }
    if (geteuid() == 0) {
        m_runAs = getpwnam("postgres") != nullptr ? QStringLiteral("postgres") : QStringLiteral("nobody");
        if (!GiveTo(m_dir->path(), m_runAs)) {
            *error = QStringLiteral("could not hand %1 to %2").arg(m_dir->path(), m_runAs);
            return false;
        }
    }
    const QString pwfile = m_dir->filePath(QStringLiteral("pw"));
    {
        QFile f(pwfile);
        if (!f.open(QIODevice::WriteOnly) || f.write(kPassword.toUtf8() + '\n') < 0) {
            *error = f.errorString();
            return false;
        }
    }
    if (!m_runAs.isEmpty())
        GiveTo(pwfile, m_runAs);
    if (!RunTool(bin + QStringLiteral("/initdb"),
                 {QStringLiteral("-D"), m_dir->filePath(QStringLiteral("data")), QStringLiteral("-U"), kUser,
                  QStringLiteral("--pwfile=") + pwfile, QStringLiteral("--auth=scram-sha-256"),
                  QStringLiteral("--encoding=UTF8"), QStringLiteral("--no-sync")},
                 nullptr, error))
        return false;
    QFile::remove(pwfile);
    return StartServer(error);
}

bool PrivatePostgres::StartServer(QString* error) {
    // No TCP listener; the socket in the folder; fsync stays on (claims must be durable as in the field).
    const QString options = QStringLiteral("-c listen_addresses='' -k %1 -c max_connections=100").arg(m_dir->path());
    if (!RunTool(BinFolder() + QStringLiteral("/pg_ctl"),
                 {QStringLiteral("-D"), m_dir->filePath(QStringLiteral("data")), QStringLiteral("-l"),
                  m_dir->filePath(QStringLiteral("server.log")), QStringLiteral("-o"), options, QStringLiteral("-w"),
                  QStringLiteral("-t"), QStringLiteral("60"), QStringLiteral("start")},
                 nullptr, error))
        return false;
    m_running = true;
    return true;
}

bool PrivatePostgres::Stop(QString* error) {
    if (!m_running)
        return true;
    m_running = false;
    return RunTool(BinFolder() + QStringLiteral("/pg_ctl"),
                   {QStringLiteral("-D"), m_dir->filePath(QStringLiteral("data")), QStringLiteral("-m"),
                    QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("stop")},
                   nullptr, error);
}

bool PrivatePostgres::Psql(const QString& database, const QString& sql, QString* out, QString* error) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PGPASSWORD"), kPassword);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("psql"),
            {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-A"), QStringLiteral("-t"),
             QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-h"), m_dir->path(),
             QStringLiteral("-U"), kUser, QStringLiteral("-d"), database, QStringLiteral("-c"), sql});
    if (!p.waitForStarted(10000) || !p.waitForFinished(60000)) {
        *error = QStringLiteral("psql did not run: %1").arg(p.errorString());
        return false;
    }
    if (out)
        *out = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    if (p.exitCode() != 0) {
        *error = QString::fromUtf8(p.readAllStandardError()).trimmed();
        return false;
    }
    return true;
}

bool PrivatePostgres::CreateDatabase(const QString& name, QString* error) {
    return Psql(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE \"%1\"").arg(name), nullptr, error);
}

QString PrivatePostgres::Url(const QString& database) const {
    return QStringLiteral("postgresql://%1:%2@/%3?host=%4")
        .arg(kUser, QString::fromUtf8(QUrl::toPercentEncoding(kPassword)), database,
             QString::fromUtf8(QUrl::toPercentEncoding(m_dir->path())));
}

PrivatePostgres* PrivatePostgres::StartForSuite(QString* error) {
    if (!MissingReason().isEmpty())
        return nullptr;
    auto server = std::make_unique<PrivatePostgres>();
    if (!server->Start(error))
        return nullptr;
    return server.release();
}
