#pragma once

#include <QString>

#include <vector>

// One contact of a simulated phonebook storage (3GPP TS 27.007 8.12 +CPBR fields).
struct SimPhonebookEntry {
    int index = 0;
    QString number;
    int type = 129; // type of address: 145 international, 129 otherwise
    QString name;   // any Unicode text; shown in the character set in force
};

// One phonebook storage ("SM" the SIM, "ME" the phone, "FD" fixed dialling) with its slot count.
struct SimPhonebookStorage {
    QString name;
    int total = 0;
    std::vector<SimPhonebookEntry> entries; // by ascending index, each within 1..total

    // A SIM with 250 slots holding three contacts (indexes 1, 2 and 40), the phone's own memory with two, and
    // an empty fixed dialling list that readers are expected to skip.
    static std::vector<SimPhonebookStorage> Defaults();
};
