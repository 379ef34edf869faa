#pragma once

#include "exclusion/ExclusionStore.h"

#include <QString>
#include <QStringList>

// Replies that ask not to be sent to again. A reply opts out when its whole text, trimmed, is one of the
// keywords, compared ignoring case ("stop" and " Stop all " do; "Stop it" and "STOP." do not).
namespace OptOut {

inline const QString kDefaultList = QStringLiteral("Opt-outs");
const QStringList& DefaultKeywords(); // STOP, STOP ALL, UNSUBSCRIBE, CANCEL, END, QUIT

bool IsOptOut(const QString& text, const QStringList& keywords = DefaultKeywords());

// Puts the number on the exclusion list `listName`, creating the list when there is none, and makes sure the
// list is applied, so a send with exclusion rules on skips the number. A number already on it is not added
// twice (compared as the list stores it: the exact text).
[[nodiscard]] ExclusionStoreStatus AddToList(ExclusionStore& store, const QString& number,
                                             const QString& listName = kDefaultList);

} // namespace OptOut
