#pragma once

#include "exclusion/OptOut.h"

#include <QString>
#include <QStringList>

class UserSettings;

// The user's opt-out choices, kept in the settings file: the keywords that make a reply an opt-out and the
// exclusion list their senders go on.
struct OptOutSettings {
    QString list = OptOut::kDefaultList;
    QStringList keywords = OptOut::DefaultKeywords();

    static OptOutSettings Load(const UserSettings& settings);
    void Save(UserSettings& settings) const;

    // Keywords from an editor's text, one a line (or comma-separated): trimmed, blank ones and repeats (ignoring
    // case) left out, in the order given.
    static QStringList ParseKeywords(const QString& text);
    // Why these settings cannot be kept ("" when they can): no keyword, or no usable list name.
    QString Refusal() const;

    static inline const QString kNoKeyword = QStringLiteral("Enter at least one opt-out keyword.");
    static inline const QString kNoList = QStringLiteral("Enter the name of the exclusion list for opt-outs.");
    static inline const QString kBadList =
        QStringLiteral("The name of the exclusion list cannot contain any of these characters: \\ / : * ? \" < > |");
};
