#include "sim/SimProfile.h"

#include <QRegularExpression>

namespace {

// A whole number in [low, high], decimal or with "0x" hexadecimal.
bool ParseNumber(const QString& text, int low, int high, int* value) {
    bool ok = false;
    const int n = text.startsWith(QLatin1String("0x")) ? text.mid(2).toInt(&ok, 16) : text.toInt(&ok, 10);
    if (!ok || n < low || n > high)
        return false;
    *value = n;
    return true;
}

// "name:N" with N a whole number in [low, high].
bool ParseNumberAfter(const QString& item, const QString& name, int low, int high, int* value) {
    return ParseNumber(item.mid(name.size() + 1), low, high, value);
}

// "PATTERN=VALUE" after "name:"; the pattern must not be empty.
bool SplitRule(const QString& item, const QString& name, QString* pattern, QString* value) {
    const QString rest = item.mid(name.size() + 1);
    const qsizetype eq = rest.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return false;
    *pattern = rest.left(eq);
    *value = rest.mid(eq + 1);
    return true;
}

constexpr int kMaxMs = 3600000;

} // namespace

bool SimNumberRule::Matches(const QString& number) const {
    // Iterative glob match with backtracking to the last '*'.
    qsizetype p = 0;
    qsizetype n = 0;
    qsizetype starP = -1;
    qsizetype starN = 0;
    while (n < number.size()) {
        if (p < pattern.size() && (pattern.at(p) == QLatin1Char('?') || pattern.at(p) == number.at(n))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern.at(p) == QLatin1Char('*')) {
            starP = p++;
            starN = n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern.at(p) == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

std::optional<SimProfile> SimProfile::Parse(const QString& text, QString* error) {
    SimProfile profile;
    const auto fail = [error](const QString& why) -> std::optional<SimProfile> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    static const QRegularExpression kRange(QStringLiteral("^(\\d+)(?:-(\\d+))?$"));
    for (const QString& raw : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString item = raw.trimmed().toLower();
        const QString shown = raw.trimmed();
        QString pattern;
        QString value;
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
        } else if (item == QLatin1String("no-cmms")) {
            profile.noCmms = true;
        } else if (item == QLatin1String("wipe-smsc-on-csmp")) {
            profile.wipeSmscOnCsmp = true;
        } else if (item == QLatin1String("cnmi-cdsi-only")) {
            profile.reportRouting = SimReportRouting::CdsiOnly;
        } else if (item == QLatin1String("cnmi-cds-only")) {
            profile.reportRouting = SimReportRouting::CdsOnly;
        } else if (item == QLatin1String("cnmi-none")) {
            profile.reportRouting = SimReportRouting::None;
        } else if (item.startsWith(QLatin1String("cms:"))) {
            // TS 27.005 3.2.5: 0-127 and 128-255 come from the network and the SMS layers, 300-511 from the
            // device, 512 and up are the maker's own.
            if (!ParseNumberAfter(item, QStringLiteral("cms"), 1, 999, &profile.cmsError))
                return fail(QStringLiteral("cms:N needs an error number from 1 to 999: %1").arg(shown));
        } else if (item.startsWith(QLatin1String("flaky:"))) {
            if (!ParseNumberAfter(item, QStringLiteral("flaky"), 1, 1000000, &profile.flakyEvery))
                return fail(QStringLiteral("flaky:N needs a count of at least 1: %1").arg(shown));
        } else if (item.startsWith(QLatin1String("slow:"))) {
            if (!ParseNumberAfter(item, QStringLiteral("slow"), 0, kMaxMs, &profile.slowMs))
                return fail(QStringLiteral("slow:MS needs milliseconds from 0 to 3600000: %1").arg(shown));
        } else if (item.startsWith(QLatin1String("pieces:"))) {
            const QRegularExpressionMatch m = kRange.match(item.mid(7));
            const int low = m.hasMatch() ? m.captured(1).toInt() : -1;
            const int high = m.hasMatch() && m.hasCaptured(2) ? m.captured(2).toInt() : low;
            if (!m.hasMatch() || low > high || high < 1 || high > 60000)
                return fail(QStringLiteral("pieces:MIN-MAX needs milliseconds, 0 <= MIN <= MAX <= 60000, MAX >= 1: %1")
                                .arg(shown));
            profile.piecesMinMs = low;
            profile.piecesMaxMs = high;
        } else if (item.startsWith(QLatin1String("urc:"))) {
            if (!ParseNumberAfter(item, QStringLiteral("urc"), 10, kMaxMs, &profile.urcEveryMs))
                return fail(QStringLiteral("urc:MS needs milliseconds from 10 to 3600000: %1").arg(shown));
        } else if (item.startsWith(QLatin1String("cmddelay:"))) {
            if (!ParseNumberAfter(item, QStringLiteral("cmddelay"), 0, kMaxMs, &profile.cmdDelayMs))
                return fail(QStringLiteral("cmddelay:MS needs milliseconds from 0 to 3600000: %1").arg(shown));
        } else if (item.startsWith(QLatin1String("report-delay:"))) {
            if (!ParseNumberAfter(item, QStringLiteral("report-delay"), 0, kMaxMs, &profile.reportDelayMs))
                return fail(QStringLiteral("report-delay:MS needs milliseconds from 0 to 3600000: %1").arg(shown));
        } else if (item.startsWith(QLatin1String("storage:"))) {
            if (!ParseNumberAfter(item, QStringLiteral("storage"), 1, 255, &profile.storageSlots))
                return fail(QStringLiteral("storage:N needs a slot count from 1 to 255: %1").arg(shown));
        } else if (item.startsWith(QLatin1String("seed:"))) {
            int seed = 0;
            if (!ParseNumberAfter(item, QStringLiteral("seed"), 0, 2147483647, &seed))
                return fail(QStringLiteral("seed:N needs a whole number: %1").arg(shown));
            profile.seed = static_cast<unsigned>(seed);
        } else if (item.startsWith(QLatin1String("reject:"))) {
            SimNumberRule rule;
            if (!SplitRule(item, QStringLiteral("reject"), &rule.pattern, &value) ||
                !ParseNumber(value, 0, 999, &rule.code))
                return fail(QStringLiteral("reject:PATTERN=CODE needs a pattern and an error number: %1").arg(shown));
            profile.rejects.push_back(rule);
        } else if (item.startsWith(QLatin1String("tempfail:"))) {
            SimNumberRule rule;
            const bool split = SplitRule(item, QStringLiteral("tempfail"), &rule.pattern, &value);
            const QStringList parts = value.split(QLatin1Char(':'));
            if (!split || parts.size() > 2 || !ParseNumber(parts.at(0), 0, 999, &rule.code) ||
                (parts.size() == 2 && !ParseNumber(parts.at(1), 1, 1000000, &rule.tries)))
                return fail(QStringLiteral("tempfail:PATTERN=CODE[:N] needs a pattern, an error number and a count: %1")
                                .arg(shown));
            profile.tempFails.push_back(rule);
        } else if (item.startsWith(QLatin1String("report:"))) {
            SimNumberRule rule;
            bool ok = SplitRule(item, QStringLiteral("report"), &rule.pattern, &value);
            if (ok && value == QLatin1String("delivered"))
                rule.code = 0x00; // TS 23.040 9.2.3.15: short message received by the SME
            else if (ok && value == QLatin1String("none"))
                rule.code = SimNumberRule::kNoReport;
            else
                ok = ok && value.startsWith(QLatin1String("failed:")) && ParseNumber(value.mid(7), 0, 255, &rule.code);
            if (!ok)
                return fail(QStringLiteral("report:PATTERN=delivered|failed:CODE|none needs a pattern and an outcome "
                                           "(CODE: a TP-Status, 0-255): %1")
                                .arg(shown));
            profile.reports.push_back(rule);
        } else {
            return fail(QStringLiteral("unknown profile \"%1\"").arg(shown));
        }
    }
    if (profile.pduOnly && profile.textOnly)
        return fail(QStringLiteral("pdu-only and text-only exclude each other"));
    return profile;
}

QString SimProfile::Syntax() {
    return QStringLiteral(
        "profiles (comma separated, combinable):\n"
        "  default                 a well-behaved device\n"
        "  pdu-only | text-only    only that SMS mode (AT+CMGF)\n"
        "  no-smsc                 no stored SMSC: submissions without one fail with +CMS ERROR: 330\n"
        "  hexcharset              character set UCS2 at power-on (strings in UCS2 hex)\n"
        "  cms:N                   every submission fails with +CMS ERROR: N\n"
        "  flaky:N                 every Nth submission fails with +CMS ERROR: 500\n"
        "  silent-after-pdu        no answer after a message body\n"
        "  dead                    never answers\n"
        "  slow:MS                 the network takes MS ms per submission\n"
        "  quirky                  split replies, unsolicited lines, odd identity answers\n"
        "  noecho                  echo off from the start\n"
        "  garbage                 stray NUL and non-ASCII bytes between replies\n"
        "  pieces:MIN-MAX          every reply in 2 or 3 pieces, MIN-MAX ms apart, cut anywhere\n"
        "  urc:MS                  unsolicited lines about every MS ms and now and then before a reply\n"
        "  cmddelay:MS             every command answered after MS ms (AT+CMGS's prompt too)\n"
        "  reject:PATTERN=CODE     submissions to matching recipients always fail with +CMS ERROR: CODE\n"
        "  tempfail:PATTERN=CODE[:N]  the first N (default 1) tries per matching recipient fail, then pass\n"
        "  report:PATTERN=delivered|failed:CODE|none  status report outcome (CODE: the TP-Status, e.g. 0x41 or 65)\n"
        "  report-delay:MS         status reports come MS ms after the submission (default 1000)\n"
        "  no-cmms                 AT+CMMS answers ERROR\n"
        "  wipe-smsc-on-csmp       AT+CSMP=... forgets the stored SMSC until AT+CSCA sets it\n"
        "  cnmi-cdsi-only | cnmi-cds-only | cnmi-none   status report routings offered by AT+CNMI\n"
        "  storage:N               slots of the SM and SR storages (default 30)\n"
        "  seed:N                  seed of the random cuts, gaps and lines of pieces: and urc:\n"
        "PATTERN matches the recipient as decoded (\"+\" first when international): * any run, ? one character.\n"
        "At power-on AT+CNMI is 2,1,0,0,0: stored messages are announced with +CMTI, status reports (TP-SRR) are\n"
        "stored in \"SR\" without a word until AT+CNMI sets <ds> 1 (+CDS) or 2 (+CDSI).");
}
