#pragma once

#include "InternationalNumbering.h"

#include <QStringList>

// The numbers an import took that libphonenumber finds impossible for the default country (its possible-number
// test fails: unparsable, too short as a short code is, too long, or of a length not in use), in the order
// given, repeats included. The import reports how many and which; the user keeps or drops them. Numbers only
// dialled locally (missing an area code) are possible and not listed.
[[nodiscard]] QStringList ImpossibleNumbers(const InternationalNumbering& numbering, const QStringList& numbers);
