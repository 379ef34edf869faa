#pragma once

#include <QString>

// One parameter of an extended command line (V.250 5.4.2): its text, and whether it was a string constant.
struct SimArg {
    QString text;
    bool quoted = false;
};

// How the simulated modem ends its answer to one command (V.250 5.7, TS 27.007 9.2, TS 27.005 3.2.5).
struct SimOutcome {
    enum class Final { Ok, Error, CmeError, CmsError, Prompt };
    Final final = Final::Ok;
    int code = 0; // the <err> of +CME ERROR / +CMS ERROR

    static SimOutcome Ok() { return {}; }
    static SimOutcome Error() { return {Final::Error, 0}; }
    static SimOutcome Cms(int code) { return {Final::CmsError, code}; }
};
