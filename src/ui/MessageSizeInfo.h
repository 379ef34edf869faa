#pragma once

#include <QString>

// What the composer shows beside its counter: how many SMS the text takes with the current settings, and
// whether some characters are outside the GSM 03.38 default alphabet (they cannot go as 7-bit text).
struct MessageSizeInfo {
    int smsCount = 1;
    bool hasNonGsm = false;

    // text as the composer holds it (CR LF or LF line breaks); textMode: the device sends in text mode.
    static MessageSizeInfo Of(const QString& text, bool unicode, bool flash, bool textMode);
    // "1 SMS" / "3 SMS".
    QString CountText() const;
    static inline const QString kNonGsmWarning =
        QStringLiteral("Some characters are not in the GSM alphabet: turn on Unicode support to send them.");
};
