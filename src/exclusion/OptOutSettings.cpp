#include "exclusion/OptOutSettings.h"

#include "app/UserSettings.h"

#include <QRegularExpression>
#include <QSet>

namespace {
const QString kKeywordsKey = QStringLiteral("OptOutKeywords");
const QString kListKey = QStringLiteral("OptOutList");
} // namespace

OptOutSettings OptOutSettings::Load(const UserSettings& settings) {
    OptOutSettings s;
    if (settings.HasOption(kKeywordsKey)) {
        const QStringList stored = ParseKeywords(settings.Option(kKeywordsKey).toStringList().join(QLatin1Char('\n')));
        if (!stored.isEmpty())
            s.keywords = stored;
    }
    const QString list = settings.Option(kListKey).toString().trimmed();
    if (!list.isEmpty())
        s.list = list;
    return s;
}

void OptOutSettings::Save(UserSettings& settings) const {
    settings.SetOption(kKeywordsKey, keywords);
    settings.SetOption(kListKey, list);
}

QStringList OptOutSettings::ParseKeywords(const QString& text) {
    static const QRegularExpression kSeparators(QStringLiteral("[\\r\\n,]+"));
    QStringList keywords;
    QSet<QString> seen;
    for (const QString& piece : text.split(kSeparators, Qt::SkipEmptyParts)) {
        // Inner runs of spaces count as one, as a reply "STOP   ALL" is still meant as "STOP ALL".
        const QString keyword = piece.simplified();
        if (keyword.isEmpty() || seen.contains(keyword.toCaseFolded()))
            continue;
        seen.insert(keyword.toCaseFolded());
        keywords << keyword;
    }
    return keywords;
}

QString OptOutSettings::Refusal() const {
    if (ParseKeywords(keywords.join(QLatin1Char('\n'))).isEmpty())
        return kNoKeyword;
    const QString name = list.trimmed();
    if (name.isEmpty())
        return kNoList;
    static const QRegularExpression kForbidden(QStringLiteral("[\\\\/:*?\"<>|]"));
    if (name.contains(kForbidden))
        return kBadList;
    return {};
}
