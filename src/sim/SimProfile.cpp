#include "sim/SimModem.h"

namespace {

// "name:N" with N a whole number in [low, high].
bool ParseNumberAfter(const QString& item, const QString& name, int low, int high, int* value) {
    bool ok = false;
    const int n = item.mid(name.size() + 1).toInt(&ok);
    if (!ok || n < low || n > high)
        return false;
    *value = n;
    return true;
}

} // namespace

std::optional<SimProfile> SimProfile::Parse(const QString& text, QString* error) {
    SimProfile profile;
    const auto fail = [error](const QString& why) -> std::optional<SimProfile> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    for (const QString& raw : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString item = raw.trimmed().toLower();
        if (item.isEmpty() || item == QLatin1String("default")) {
            continue;
        } else if (item == QLatin1String("pdu-only")) {
            profile.pduOnly = true;
        } else if (item == QLatin1String("text-only")) {
            profile.textOnly = true;
        } else if (item == QLatin1String("no-smsc")) {
            profile.noSmsc = true;
        } else if (item == QLatin1String("hexcharset")) {
            profile.hexCharset = true;
        } else if (item == QLatin1String("silent-after-pdu")) {
            profile.silentAfterPdu = true;
        } else if (item == QLatin1String("dead")) {
            profile.dead = true;
        } else if (item == QLatin1String("quirky")) {
            profile.quirky = true;
        } else if (item == QLatin1String("noecho")) {
            profile.noEcho = true;
        } else if (item == QLatin1String("garbage")) {
            profile.garbage = true;
        } else if (item.startsWith(QLatin1String("cms:"))) {
            // TS 27.005 3.2.5: 0-127 and 128-255 come from the network and the SMS layers, 300-511 from the
            // device, 512 and up are the maker's own.
            if (!ParseNumberAfter(item, QStringLiteral("cms"), 1, 999, &profile.cmsError))
                return fail(QStringLiteral("cms:N needs an error number from 1 to 999: %1").arg(raw.trimmed()));
        } else if (item.startsWith(QLatin1String("flaky:"))) {
            if (!ParseNumberAfter(item, QStringLiteral("flaky"), 1, 1000000, &profile.flakyEvery))
                return fail(QStringLiteral("flaky:N needs a count of at least 1: %1").arg(raw.trimmed()));
        } else if (item.startsWith(QLatin1String("slow:"))) {
            if (!ParseNumberAfter(item, QStringLiteral("slow"), 0, 3600000, &profile.slowMs))
                return fail(QStringLiteral("slow:MS needs milliseconds from 0 to 3600000: %1").arg(raw.trimmed()));
        } else {
            return fail(QStringLiteral("unknown profile \"%1\"").arg(raw.trimmed()));
        }
    }
    if (profile.pduOnly && profile.textOnly)
        return fail(QStringLiteral("pdu-only and text-only exclude each other"));
    return profile;
}
