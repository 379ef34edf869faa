#pragma once

#include <QString>

// One contact read from a device's phonebook (3GPP TS 27.007 +CPBR), as the device stores it.
struct PhonebookEntry {
    QString number;
    int type = 129; // type of address: 145 international, 129 otherwise
    QString name;
};
