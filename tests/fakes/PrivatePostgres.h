#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

// A PostgreSQL server of the tests' own: initdb and pg_ctl (Debian's postgresql package) on a temporary
// folder, listening only on a Unix socket in that folder, stopped and removed at the end. initdb refuses to
// run as root, so under root (CI) the server runs as the package's postgres user (or nobody), and the folder is
// handed to that user. Logins use a password (scram-sha-256), so a wrong one is refused as on a real server.
class PrivatePostgres {
public:
    static inline const QString kUser = QStringLiteral("bulksms");
    static inline const QString kPassword = QStringLiteral("s3cret pass");

    PrivatePostgres();
    ~PrivatePostgres(); // stops the server
    PrivatePostgres(const PrivatePostgres&) = delete;
    PrivatePostgres& operator=(const PrivatePostgres&) = delete;

    // Empty when the server binaries are installed; else why the tests that need one are skipped.
    static QString MissingReason();
    // A test suite's server, started once: null when the binaries are missing (the tests skip on MissingReason)
    // or, with the reason in *error, when it would not start. The suite deletes it in its TearDownTestSuite.
    static PrivatePostgres* StartForSuite(QString* error);

    // Creates the folder and the cluster and starts the server; false with the reason.
    bool Start(QString* error);
    // Stops (fast shutdown: connections are cut) and starts the same cluster again.
    bool Stop(QString* error);
    bool Restart(QString* error) { return Stop(error) && StartServer(error); }
    bool StartServer(QString* error);

    // A new empty database on the server.
    bool CreateDatabase(const QString& name, QString* error);
    // postgresql://bulksms:PASSWORD@/NAME?host=FOLDER (the password percent-encoded).
    QString Url(const QString& database) const;
    QString SocketFolder() const { return m_dir ? m_dir->path() : QString(); }
    // Runs SQL as the superuser over psql; its stdout.
    bool Psql(const QString& database, const QString& sql, QString* out, QString* error);

private:
    bool RunTool(const QString& tool, const QStringList& args, QString* out, QString* error);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_runAs; // the user the server runs as, when we are root
    bool m_running = false;
};
