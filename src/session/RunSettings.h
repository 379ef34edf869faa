#pragma once

#include "sending/SendOptions.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Everything a run's sending depends on besides its rows and devices, kept in the run journal so that a
// resumed run sends as the interrupted one did: the options, the composer's message type and Unicode choice,
// the timing, the default country and the quota settings. Stored as JSON.
struct RunSettings {
    SendOptions options;
    bool unicode = false;
    int messageType = 0;
    bool fixedPauses = false; // the standard timing instead of the reply-driven one
    QString country;
    QString quotaSettings; // the quota settings text

    QByteArray ToBlob() const;
    // nullopt for a blob that is not such a JSON object.
    static std::optional<RunSettings> FromBlob(const QByteArray& blob);
};
