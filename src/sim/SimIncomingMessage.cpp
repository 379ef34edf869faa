#include "sim/SimIncomingMessage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

std::optional<SimIncomingMessage> Fail(QString* error, const QString& why) {
    if (error)
        *error = why;
    return std::nullopt;
}

bool IsWholeNumber(const QJsonValue& v, int low, int high) {
    if (!v.isDouble())
        return false;
    const double d = v.toDouble();
    return d == static_cast<double>(static_cast<long long>(d)) && d >= low && d <= high;
}

} // namespace

std::optional<SimIncomingMessage> SimIncomingMessage::FromJson(const QByteArray& line, QString* error) {
    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(line, &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isObject())
        return Fail(error, QStringLiteral("not a JSON object: %1").arg(parseError.errorString()));
    const QJsonObject o = doc.object();
    static const QStringList kKnown = {
        QStringLiteral("from"),     QStringLiteral("text"),        QStringLiteral("ucs2"),      QStringLiteral("ref16"),
        QStringLiteral("ref"),      QStringLiteral("parts_order"), QStringLiteral("drop_part"), QStringLiteral("class"),
        QStringLiteral("delay_ms"), QStringLiteral("scts")};
    for (const QString& key : o.keys()) {
        if (!kKnown.contains(key))
            return Fail(error, QStringLiteral("unknown field \"%1\"").arg(key));
    }
    SimIncomingMessage m;
    if (!o.value(QStringLiteral("from")).isString() || !o.value(QStringLiteral("text")).isString())
        return Fail(error, QStringLiteral("\"from\" and \"text\" must be strings"));
    m.from = o.value(QStringLiteral("from")).toString();
    m.text = o.value(QStringLiteral("text")).toString();
    if (o.contains(QStringLiteral("ucs2"))) {
        if (!o.value(QStringLiteral("ucs2")).isBool())
            return Fail(error, QStringLiteral("\"ucs2\" must be true or false"));
        m.ucs2 = o.value(QStringLiteral("ucs2")).toBool();
    }
    if (o.contains(QStringLiteral("ref16"))) {
        if (!o.value(QStringLiteral("ref16")).isBool())
            return Fail(error, QStringLiteral("\"ref16\" must be true or false"));
        m.reference16 = o.value(QStringLiteral("ref16")).toBool();
    }
    const auto number = [&](const char* key, int low, int high, int* out) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined())
            return true;
        if (!IsWholeNumber(v, low, high))
            return false;
        *out = v.toInt();
        return true;
    };
    if (!number("ref", 0, 65535, &m.reference) || !number("drop_part", 0, 255, &m.dropPart) ||
        !number("class", -1, 3, &m.messageClass) || !number("delay_ms", 0, 3600000, &m.delayMs))
        return Fail(error, QStringLiteral("\"ref\", \"drop_part\", \"class\" or \"delay_ms\" out of range"));
    if (!m.reference16 && m.reference > 255)
        return Fail(error, QStringLiteral("an 8-bit reference is at most 255"));
    if (o.contains(QStringLiteral("parts_order"))) {
        const QJsonValue v = o.value(QStringLiteral("parts_order"));
        if (!v.isArray())
            return Fail(error, QStringLiteral("\"parts_order\" must be an array of part numbers"));
        for (const QJsonValue& part : v.toArray()) {
            if (!IsWholeNumber(part, 1, 255))
                return Fail(error, QStringLiteral("\"parts_order\" holds part numbers from 1 to 255"));
            m.partsOrder.push_back(part.toInt());
        }
    }
    if (o.contains(QStringLiteral("scts"))) {
        const QDateTime t = QDateTime::fromString(o.value(QStringLiteral("scts")).toString(), Qt::ISODate);
        if (!t.isValid())
            return Fail(error, QStringLiteral("\"scts\" must be an ISO 8601 date and time"));
        m.timestamp = t;
    }
    return m;
}
