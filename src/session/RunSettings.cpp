#include "session/RunSettings.h"

#include <QJsonDocument>
#include <QJsonObject>

QByteArray RunSettings::ToBlob() const {
    QJsonObject o;
    o[QStringLiteral("delayedDelivery")] = options.delayedDelivery;
    o[QStringLiteral("pauseEvery")] = options.pauseEvery;
    o[QStringLiteral("pauseFor")] = options.pauseFor;
    o[QStringLiteral("retriesOn")] = options.retriesOn;
    o[QStringLiteral("totalRetries")] = options.totalRetries;
    o[QStringLiteral("retryAllErrors")] = options.retryAllErrors;
    o[QStringLiteral("skipDuplicates")] = options.skipDuplicates;
    o[QStringLiteral("useExclusion")] = options.useExclusion;
    o[QStringLiteral("saveSentItems")] = options.saveSentItems;
    o[QStringLiteral("saveTemplates")] = options.saveTemplates;
    o[QStringLiteral("clearAfterSend")] = options.clearAfterSend;
    o[QStringLiteral("nonOverlapped")] = options.nonOverlapped;
    o[QStringLiteral("quotaManagement")] = options.quotaManagement;
    o[QStringLiteral("sendInternational")] = options.sendInternational;
    o[QStringLiteral("reconnectWaitSeconds")] = options.reconnectWaitSeconds;
    o[QStringLiteral("unicode")] = unicode;
    o[QStringLiteral("messageType")] = messageType;
    o[QStringLiteral("fixedPauses")] = fixedPauses;
    o[QStringLiteral("country")] = country;
    o[QStringLiteral("quotaSettings")] = quotaSettings;
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

std::optional<RunSettings> RunSettings::FromBlob(const QByteArray& blob) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(blob, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    const QJsonObject o = doc.object();
    RunSettings s;
    s.options.delayedDelivery = o[QStringLiteral("delayedDelivery")].toBool();
    s.options.pauseEvery = o[QStringLiteral("pauseEvery")].toString();
    s.options.pauseFor = o[QStringLiteral("pauseFor")].toString();
    s.options.retriesOn = o[QStringLiteral("retriesOn")].toBool();
    s.options.totalRetries = o[QStringLiteral("totalRetries")].toInt();
    s.options.retryAllErrors = o[QStringLiteral("retryAllErrors")].toBool();
    s.options.skipDuplicates = o[QStringLiteral("skipDuplicates")].toBool();
    s.options.useExclusion = o[QStringLiteral("useExclusion")].toBool();
    s.options.saveSentItems = o[QStringLiteral("saveSentItems")].toBool();
    s.options.saveTemplates = o[QStringLiteral("saveTemplates")].toBool();
    s.options.clearAfterSend = o[QStringLiteral("clearAfterSend")].toBool();
    s.options.nonOverlapped = o[QStringLiteral("nonOverlapped")].toBool();
    s.options.quotaManagement = o[QStringLiteral("quotaManagement")].toBool();
    s.options.sendInternational = o[QStringLiteral("sendInternational")].toBool();
    s.options.reconnectWaitSeconds =
        o[QStringLiteral("reconnectWaitSeconds")].toInt(SendOptions().reconnectWaitSeconds);
    s.unicode = o[QStringLiteral("unicode")].toBool();
    s.messageType = o[QStringLiteral("messageType")].toInt();
    s.fixedPauses = o[QStringLiteral("fixedPauses")].toBool();
    s.country = o[QStringLiteral("country")].toString();
    s.quotaSettings = o[QStringLiteral("quotaSettings")].toString();
    return s;
}
