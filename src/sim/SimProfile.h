#pragma once

#include <QString>

#include <optional>
#include <vector>

// A rule that applies to the recipients whose number (as the simulator decodes it, "+" first for an
// international one) matches a shell-style pattern: '*' any run of characters, '?' any one character.
struct SimNumberRule {
    QString pattern;
    int code = 0;  // reject / tempfail: the +CMS ERROR code; report: the TP-Status, or kNoReport
    int tries = 1; // tempfail: the tries of each matching recipient that fail before one passes

    static constexpr int kNoReport = -1;

    bool Matches(const QString& number) const;
};

// Which status-report routings (AT+CNMI <ds>) a device offers.
enum class SimReportRouting {
    Both,     // ds 0, 1 (+CDS) and 2 (+CDSI)
    CdsiOnly, // ds 0 and 2
    CdsOnly,  // ds 0 and 1
    None,     // ds 0 only: reports are only stored
};

// Behaviour profiles of the simulated modem; they combine ("pdu-only,slow:500,quirky"). Syntax() lists them
// as `bulksms-cli sim --help` shows them.
struct SimProfile {
    bool pduOnly = false;        // AT+CMGF=1 answers ERROR, AT+CMGF=? gives (0)
    bool textOnly = false;       // AT+CMGF=0 answers ERROR, AT+CMGF=? gives (1)
    bool noSmsc = false;         // AT+CSCA? gives an empty number; a submission without an SMSC (PDU field "00",
                                 // or text mode) then fails with +CMS ERROR: 330 until AT+CSCA sets one
    bool hexCharset = false;     // AT+CSCA? reports the SMSC in UCS2 hex (a device set to a hex charset): the
                                 // character set is "UCS2" at power-on and after ATZ / AT&F
    int cmsError = 0;            // every submission fails with +CMS ERROR: N (0 = off)
    int flakyEvery = 0;          // every Nth submission fails with +CMS ERROR: 500 (0 = off)
    bool silentAfterPdu = false; // no answer at all after the PDU / text and Ctrl-Z (nothing is logged); later
                                 // commands are answered again
    bool dead = false;           // never answers anything
    int slowMs = 0;              // each submission takes this long before its final reply (the network's time);
                                 // input is still read meanwhile, and later output waits behind that reply as on a
                                 // real line
    bool quirky = false;         // replies split over several writes, unsolicited lines between commands, and
                                 // identity answers as some devices give them: AT+GMI ERROR, AT+GMM
                                 // "Undefined", '+CGMI: "<maker>"', "+CGMM: MODEL=<model>", "IMEI <n>", "IMSI <n>"
    bool noEcho = false;         // echo off from the start
    bool garbage = false;        // stray non-ASCII and NUL bytes between replies

    // Replies (and unsolicited output) written in two or three pieces, piecesMinMs to piecesMaxMs apart, cut
    // at arbitrary bytes (inside "OK\r\n" and between its "\r" and "\n" too). Off while piecesMaxMs is 0.
    int piecesMinMs = 0;
    int piecesMaxMs = 0;
    // Unsolicited lines (+CREG, ^RSSI, RING, +CGREG, ^MODE, ^BOOT) about every urcEveryMs between commands,
    // and now and then just before a command's reply (0 = off).
    int urcEveryMs = 0;
    int cmdDelayMs = 0; // every command line (AT+CMGS's prompt included) is answered after this long
    // Network outcomes by recipient, first matching rule of each list applies.
    std::vector<SimNumberRule> rejects;   // every submission fails with +CMS ERROR: code
    std::vector<SimNumberRule> tempFails; // the first `tries` submissions fail with +CMS ERROR: code
    std::vector<SimNumberRule> reports;   // the status report's TP-Status (default: 0, delivered)
    int reportDelayMs = 1000;             // a status report comes this long after the submission's reply
    bool noCmms = false;                  // AT+CMMS in any form answers ERROR
    bool wipeSmscOnCsmp = false;          // AT+CSMP=... forgets the stored SMSC until AT+CSCA sets one again
    SimReportRouting reportRouting = SimReportRouting::Both;
    int storageSlots = 30; // capacity of the "SM" (messages) and "SR" (status reports) storages
    unsigned seed = 1;     // seed of the choices made by pieces: and urc: (cuts, gaps, which line)

    // Parses the comma separated profile names of Syntax(); on failure returns nothing and says why in *error.
    static std::optional<SimProfile> Parse(const QString& text, QString* error);
    // One line per profile name with what it does.
    static QString Syntax();
};
