#include "app/UserGuide.h"

#include "app/FileOpener.h"
#include "app/Prompter.h"

#include <QDir>
#include <QFileInfo>

QStringList UserGuide::Candidates(const QString& executableFolder) {
    const QDir folder(executableFolder);
    QStringList candidates{
        folder.filePath(kFileName),
        QDir::cleanPath(folder.filePath(QStringLiteral("../share/bulksms/") + kFileName)),
    };
#ifdef BULKSMS_SOURCE_DOCS
    candidates << QDir(QStringLiteral(BULKSMS_SOURCE_DOCS)).filePath(kFileName);
#endif
    return candidates;
}

QString UserGuide::Locate(const QStringList& candidates) {
    for (const QString& path : candidates) {
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

bool UserGuide::Open(const QStringList& candidates, FileOpener& opener, Prompter& prompter) {
    const QString guide = Locate(candidates);
    if (guide.isEmpty()) {
        prompter.Notice(kMissing + candidates.join(QLatin1Char('\n')));
        return false;
    }
    return opener.Open(guide, kNoBrowser);
}
