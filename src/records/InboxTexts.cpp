#include "records/InboxTexts.h"

namespace InboxTexts {

QString KindText(const InboxRecord& record) {
    switch (record.kind) {
    case InboxRecord::Kind::Message:
        return record.optOut ? QStringLiteral("Opt-out") : QStringLiteral("Message");
    case InboxRecord::Kind::Report:
        return QStringLiteral("Report");
    case InboxRecord::Kind::Undecodable:
        break;
    }
    return QStringLiteral("Unreadable");
}

QString Details(const InboxRecord& r) {
    QString text = QStringLiteral("From: %1\nDevice: %2\nSent: %3\nReceived: %4\nKind: %5\n\n")
                       .arg(r.number, r.device, r.sent, r.received, KindText(r));
    text += r.text;
    if (r.optOut)
        text += QStringLiteral("\n\nThe sender was put on the opt-out exclusion list.");
    if (!r.reason.isEmpty())
        text += QStringLiteral("\n\nNote: ") + r.reason;
    if (!r.raw.isEmpty())
        text += QStringLiteral("\n\nPDU: ") + r.raw;
    return text;
}

} // namespace InboxTexts
