#include "journal/PgUrl.h"

#include <QUrl>
#include <QUrlQuery>

QString PgUrl::Display() const {
    const QString where = IsSocketFolder() ? QStringLiteral("/%1?host=%2").arg(database, host)
                                           : QStringLiteral("%1:%2/%3").arg(host).arg(port).arg(database);
    return QStringLiteral("postgresql://%1@%2").arg(user, where);
}

std::optional<PgUrl> PgUrl::Parse(const QString& text, QString* error) {
    const auto fail = [&](const QString& why) {
        *error = QStringLiteral("%1 is no database URL: %2 (expected postgresql://USER@HOST:PORT/DATABASE or "
                                "postgresql://USER@/DATABASE?host=/socket/folder)")
                     .arg(text, why);
        return std::nullopt;
    };
    const QString trimmed = text.trimmed();
    const qsizetype schemeEnd = trimmed.indexOf(QLatin1String("://"));
    const QString scheme = schemeEnd < 0 ? QString() : trimmed.left(schemeEnd).toLower();
    if (scheme != QLatin1String("postgresql") && scheme != QLatin1String("postgres"))
        return fail(QStringLiteral("it does not start with postgresql://"));
    // The authority is split by hand: QUrl refuses a percent-encoded "/" in a host name.
    QString rest = trimmed.mid(schemeEnd + 3);
    QString query;
    if (const qsizetype q = rest.indexOf(QLatin1Char('?')); q >= 0) {
        query = rest.mid(q + 1);
        rest = rest.left(q);
    }
    const qsizetype slash = rest.indexOf(QLatin1Char('/'));
    if (slash < 0)
        return fail(QStringLiteral("no database name"));
    QString authority = rest.left(slash);
    PgUrl url;
    url.database = QUrl::fromPercentEncoding(rest.mid(slash + 1).toUtf8());
    if (url.database.isEmpty() || url.database.contains(QLatin1Char('/')))
        return fail(QStringLiteral("no database name"));
    if (const qsizetype at = authority.lastIndexOf(QLatin1Char('@')); at >= 0) {
        const QString userInfo = authority.left(at);
        authority = authority.mid(at + 1);
        const qsizetype colon = userInfo.indexOf(QLatin1Char(':'));
        url.user = QUrl::fromPercentEncoding(userInfo.left(colon < 0 ? userInfo.size() : colon).toUtf8());
        if (colon >= 0)
            url.password = QUrl::fromPercentEncoding(userInfo.mid(colon + 1).toUtf8());
    }
    if (url.user.isEmpty())
        return fail(QStringLiteral("no user name"));
    QString portText;
    if (authority.startsWith(QLatin1Char('['))) { // an IPv6 address
        const qsizetype close = authority.indexOf(QLatin1Char(']'));
        if (close < 0)
            return fail(QStringLiteral("an unclosed [ in the host"));
        url.host = authority.mid(1, close - 1);
        if (authority.mid(close + 1).startsWith(QLatin1Char(':')))
            portText = authority.mid(close + 2);
        else if (close + 1 != authority.size())
            return fail(QStringLiteral("text after the host's ]"));
    } else {
        const qsizetype colon = authority.lastIndexOf(QLatin1Char(':'));
        url.host = QUrl::fromPercentEncoding(authority.left(colon < 0 ? authority.size() : colon).toUtf8());
        if (colon >= 0)
            portText = authority.mid(colon + 1);
    }
    const QUrlQuery parameters(query);
    for (const auto& [key, value] : parameters.queryItems(QUrl::FullyDecoded)) {
        if (key == QLatin1String("host"))
            url.host = value;
        else if (key == QLatin1String("port"))
            portText = value;
        else
            return fail(QStringLiteral("unknown parameter %1").arg(key));
    }
    if (!portText.isEmpty()) {
        bool ok = false;
        url.port = portText.toInt(&ok);
        if (!ok || url.port < 1 || url.port > 65535)
            return fail(QStringLiteral("the port %1 is no number from 1 to 65535").arg(portText));
    }
    if (url.host.isEmpty())
        return fail(QStringLiteral("no host (or ?host=/socket/folder)"));
    if (url.host.contains(QLatin1Char('/')) && !url.IsSocketFolder())
        return fail(QStringLiteral("a socket folder must be an absolute path"));
    return url;
}
