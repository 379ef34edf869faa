#pragma once

#include <QString>

#include <optional>

// Every fixed sleep and silence limit of the modem dialogue, in milliseconds. "fast", the program's default,
// waits on the device's own replies instead of fixed sleeps (the final result of AT+CMGS within
// finalResultLimitMs) and prepares a port once; "standard" waits the fixed pauses some older devices need between
// commands and gives the whole command sequence before every message. Tests build their own, shortened values.
struct ModemTiming {
    bool waitForReplies = false;   // true: no fixed sleeps, wait for the prompt / final result instead
    bool prepareOnce = false;      // true: the mode, parameters and character set are set once per opened port
                                   // (again after a failure), then each message is its AT+CMGS exchanges alone

    int settleBeforeResultMs = 2000; // after the PDU (or text) and Ctrl-Z, before the final "OK" wait
    int betweenPartsMs = 2000;       // after one part of a concatenated message, before the next
    int beforeTextMs = 2000;         // text mode: after the ">" prompt, before the text is written
    int irdaCmgsSleepMs = 2000;      // non-overlapped transport: after writing AT+CMGS
    int irdaAfterResultMs = 2000;    // non-overlapped transport: after reading a submission's result line
    int irdaLineSilenceMs = 5000;    // non-overlapped ReadLine: silence that ends a line read
    int irdaWriteStallMs = 5000;     // non-overlapped WriteAll: gives up after this long without a byte out
    int promptLimitMs = 5000;        // fast: limit for the ">" prompt
    int finalResultLimitMs = 60000;  // fast: limit for the final result of AT+CMGS (networks take seconds)

    static ModemTiming Standard();
    static ModemTiming Fast();
    // "standard" or "fast"; nullopt for anything else.
    static std::optional<ModemTiming> ByName(const QString& name);
    // What the sending window says of a run's timing.
    QString Description() const;
    static inline const QString kReplyDriven = QStringLiteral("Timing: waits on the device's replies");
    static inline const QString kFixedPauses = QStringLiteral("Timing: fixed pauses between commands (older devices)");

    // Sleeps for ms milliseconds (nothing for 0 or less).
    static void Sleep(int ms);
};
