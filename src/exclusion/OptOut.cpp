#include "exclusion/OptOut.h"

#include <algorithm>

namespace OptOut {

const QStringList& DefaultKeywords() {
    static const QStringList keywords = {QStringLiteral("STOP"),        QStringLiteral("STOP ALL"),
                                         QStringLiteral("UNSUBSCRIBE"), QStringLiteral("CANCEL"),
                                         QStringLiteral("END"),         QStringLiteral("QUIT")};
    return keywords;
}

bool IsOptOut(const QString& text, const QStringList& keywords) {
    // Inner runs of white space count as one space, so "STOP  ALL" is "STOP ALL".
    const QString simplified = text.simplified();
    if (simplified.isEmpty())
        return false;
    return std::any_of(keywords.cbegin(), keywords.cend(), [&](const QString& keyword) {
        return simplified.compare(keyword.simplified(), Qt::CaseInsensitive) == 0;
    });
}

ExclusionStoreStatus AddToList(ExclusionStore& store, const QString& number, const QString& listName) {
    const ExclusionStoreLines names = store.ListNames();
    if (!names.status.Ok())
        return names.status;
    if (!names.lines.contains(listName)) {
        const ExclusionStoreStatus created = store.AppendList(listName, {number});
        if (!created.Ok())
            return created;
    } else {
        const ExclusionStoreLines list = store.LoadList(listName);
        if (!list.status.Ok())
            return list.status;
        if (!list.lines.contains(number)) {
            const ExclusionStoreStatus saved = store.SaveList(listName, QStringList(list.lines) << number);
            if (!saved.Ok())
                return saved;
        }
    }
    const ExclusionStoreLines applied = store.AppliedNames();
    if (!applied.status.Ok())
        return applied.status;
    if (applied.lines.contains(listName))
        return {};
    return store.SaveApplied(QStringList(applied.lines) << listName);
}

} // namespace OptOut
