#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

// A short message the simulated network delivers to the modem (an SMS-DELIVER, split into concatenated parts
// when it does not fit one). Injected through SimModem::Inject or as one JSON line, e.g.
//   {"from":"+447700900123","text":"Hello","ucs2":false,"ref16":true,"ref":7,"parts_order":[2,1],
//    "drop_part":0,"class":1,"delay_ms":0,"scts":"2024-03-01T10:00:00+05:30"}
// where only "from" and "text" are required.
struct SimIncomingMessage {
    QString from;                       // digits ("+" first when international) or an alphanumeric sender
    QString text;                       // whole message text
    std::optional<bool> ucs2;           // unset: UCS-2 only when the GSM alphabet cannot hold the text; false:
                                        // GSM 7-bit, characters outside it become '?'
    bool reference16 = false;           // concatenation element with a 16-bit reference (IEI 0x08), else 8-bit
    int reference = -1;                 // concatenation reference; -1: the modem's next one
    std::vector<int> partsOrder;        // part numbers delivered, in this order (a repeat delivers a part again);
                                        // empty: every part in order
    int dropPart = 0;                   // a part number never delivered (0: none)
    int messageClass = -1;              // TS 23.038 message class 0-3, -1 none
    int delayMs = 0;                    // delivered this long after the injection
    std::optional<QDateTime> timestamp; // service centre time stamp; unset: the moment of delivery

    // Reads one JSON object as above; nothing and a reason when it is not one or a field is wrong.
    static std::optional<SimIncomingMessage> FromJson(const QByteArray& line, QString* error);
};
