#include "ui/MessageSizeInfo.h"

#include "sms/PduEncoder.h"

#include <algorithm>

MessageSizeInfo MessageSizeInfo::Of(const QString& text, bool unicode, bool flash, bool textMode) {
    MessageSizeInfo info;
    // As a submission sees it: CR LF line breaks made LF.
    const QString message = Pdu::NormalizeLineBreaks(text);
    info.hasNonGsm = !Pdu::IsGsmCharacterSet(message);
    // A placeholder recipient of typical length; the count does not depend on it for any real number.
    const QString to = QStringLiteral("+000000000000");
    if (textMode) {
        // Text mode drops UCS2 when every character is in the default alphabet.
        const bool ucs2 = unicode && info.hasNonGsm;
        info.smsCount = static_cast<int>(Pdu::SplitForTextMode(message, to, {}, flash, ucs2).size());
    } else {
        info.smsCount = static_cast<int>(Pdu::EncodeMessage(message, to, {}, flash, unicode, 0).size());
    }
    info.smsCount = std::max(info.smsCount, 1);
    return info;
}

QString MessageSizeInfo::CountText() const {
    return QStringLiteral("%1 SMS").arg(smsCount);
}
