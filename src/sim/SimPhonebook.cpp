#include "sim/SimPhonebook.h"

std::vector<SimPhonebookStorage> SimPhonebookStorage::Defaults() {
    return {
        {QStringLiteral("SM"),
         250,
         {{1, QStringLiteral("+919845012345"), 145, QStringLiteral("Asha Rao")},
          {2, QStringLiteral("9845067890"), 129, QStringLiteral("Ravi Kumar")},
          {40, QStringLiteral("+15551234567"), 145, QStringLiteral("Office")}}},
        {QStringLiteral("ME"),
         100,
         {{1, QStringLiteral("+447700900123"), 145, QStringLiteral("Meera Iyer")},
          {5, QStringLiteral("18005550199"), 129, QStringLiteral("Help Desk")}}},
        {QStringLiteral("FD"), 10, {}},
    };
}
