#include "CliProcess.h"

#include <QFile>
#include <QFileInfo>

QString CliPath() {
    return QStringLiteral(BULKSMS_CLI_PATH);
}

CliRun RunCli(const QStringList& args, int timeoutMs) {
    return RunCliWith(
        args, [](QProcess&) {}, timeoutMs);
}

CliRun RunCliWith(const QStringList& args, const std::function<void(QProcess&)>& setUp, int timeoutMs) {
    QProcess p;
    setUp(p);
    p.start(CliPath(), args);
    if (!p.waitForStarted(timeoutMs))
        ADD_FAILURE() << "bulksms-cli did not start: " << p.errorString().toStdString();
    else if (!p.waitForFinished(timeoutMs)) {
        ADD_FAILURE() << "bulksms-cli " << args.join(QLatin1Char(' ')).toStdString() << " did not end in " << timeoutMs
                      << " ms";
        p.kill();
        p.waitForFinished();
    }
    CliRun r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.bytes = p.readAllStandardOutput();
    r.out = QString::fromUtf8(r.bytes);
    r.lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

void CliTest::SetUp() {
    ASSERT_TRUE(QFileInfo(CliPath()).isExecutable()) << "bulksms-cli is missing: " << CliPath().toStdString();
    ASSERT_TRUE(m_dir.isValid());
}

QString CliTest::File(const QString& name, const QByteArray& bytes) {
    const QString path = m_dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
}
