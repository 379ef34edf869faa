#include "composer/ListEditController.h"
#include "composer/RecipientList.h"

#include "exclusion/ExclusionSet.h"
#include "fakes/ScriptedPrompter.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

struct DuplicateCase {
    const char* country; // "" for none
    const char* listed;  // a number already in the list
    const char* raw;     // the number then checked
    NumberCheckError error;
};

// The number check with "Skip Duplicate Numbers" and "Use Exclusion Rules" on and, for a default country, the
// comparison by international form.
const DuplicateCase kDuplicates[] = {
    // The case and its mirror image: one person, two ways of writing the number.
    {"GB", "+447700900556", "07700900556", NumberCheckError::Duplicate},
    {"GB", "07700900556", "+44 7700 900556", NumberCheckError::Duplicate},
    {"GB", "07700900556", "(07700) 900-556", NumberCheckError::Duplicate},
    {"GB", "+447700900556", "0044 7700 900556", NumberCheckError::Duplicate},
    {"GB", "+447700900556", "447700900556", NumberCheckError::Duplicate},
    {"GB", "+447700900556", "07700900557", NumberCheckError::None},
    {"GB", "+33612345678", "0033612345678", NumberCheckError::Duplicate},
    {"GB", "+33612345678", "0612345678", NumberCheckError::None},
    {"IT", "0612345678", "+390612345678", NumberCheckError::Duplicate},
    {"IT", "612345678", "+390612345678", NumberCheckError::None}, // the leading zero is part of the number
    {"DE", "030 1234567", "+49301234567", NumberCheckError::Duplicate},
    {"US", "2025550142", "1 (202) 555-0142", NumberCheckError::Duplicate},
    // Short codes and numbers without an international form compare as their texts.
    {"GB", "88211", "88211", NumberCheckError::Duplicate},
    {"GB", "88211", "+4488211", NumberCheckError::None},
    {"US", "5550142", "555-0142", NumberCheckError::Duplicate}, // the check removes the dash first
    // Without a country, texts compare as they always did.
    {"", "+447700900556", "07700900556", NumberCheckError::None},
    {"", "+447700900556", "+44 7700 900556", NumberCheckError::Duplicate},
};

TEST(RecipientListCountryTest, DuplicatesAreFoundAcrossFormats) {
    const ExclusionSet noExclusions;
    const NumberCheckOptions both{true, true, &noExclusions};
    for (const DuplicateCase& c : kDuplicates) {
        RecipientList list(NumberComparison::ForCountry(QString::fromLatin1(c.country)));
        list.InsertRow(0, QString::fromLatin1(c.listed), QString(), QString());
        const NumberCheckResult r = list.CheckNumber(QString::fromLatin1(c.raw), both);
        EXPECT_EQ(r.error, c.error) << c.country << ": listed '" << c.listed << "', checked '" << c.raw << "'";
        // The stored number stays as the user gave it (cleaned as the number check cleans), never its form.
        if (r.Ok()) {
            EXPECT_EQ(r.number, QString::fromLatin1(c.raw).remove(QRegularExpression(QStringLiteral("[ ()-]"))));
        }
        // AddNumbers, as a file import hands numbers over, decides the same.
        RecipientList bulk(NumberComparison::ForCountry(QString::fromLatin1(c.country)));
        bulk.InsertRow(0, QString::fromLatin1(c.listed), QString(), QString());
        const RecipientList::AddNumbersResult added =
            bulk.AddNumbers(0, {QString::fromLatin1(c.raw)}, QString(), QString(), both);
        EXPECT_EQ(added.duplicates, c.error == NumberCheckError::Duplicate ? 1 : 0) << c.country << " " << c.raw;
    }
}

TEST(RecipientListCountryTest, ExclusionAndDuplicateTestsUseTheForms) {
    const NumberComparison gb = NumberComparison::ForCountry(QStringLiteral("GB"));
    ExclusionSet exclusions(gb);
    exclusions.Add(QStringLiteral("+447700900555")); // an opt-out, international
    exclusions.Add(QStringLiteral("07700 900444"));  // and one written nationally
    RecipientList list(gb);
    const NumberCheckOptions both{true, true, &exclusions};

    EXPECT_EQ(list.CheckNumber(QStringLiteral("07700 900555"), both).error, NumberCheckError::Excluded);
    EXPECT_EQ(list.CheckNumber(QStringLiteral("+44 7700 900444"), both).error, NumberCheckError::Excluded);
    const NumberCheckResult added = list.AddNumber(0, QStringLiteral("07700 900333"), QString(), QString(), both);
    ASSERT_TRUE(added.Ok());
    EXPECT_EQ(added.number, QStringLiteral("07700900333")); // stored as given, not as its E.164 form
    EXPECT_EQ(list.Number(0), QStringLiteral("07700900333"));
    EXPECT_EQ(list.CheckNumber(QStringLiteral("+447700900333"), both).error, NumberCheckError::Duplicate);
    EXPECT_TRUE(list.ContainsNumber(QStringLiteral("0044 7700 900333")));
    EXPECT_EQ(list.NumberCount(QStringLiteral("+447700900333")), 1);

    // A mixed import: the duplicate and the excluded are counted, the rest inserted as written.
    const RecipientList::AddNumbersResult result =
        list.AddNumbers(1,
                        {QStringLiteral("+447700900111"), QStringLiteral("07700900111"),
                         QStringLiteral("0044 7700 900555"), QStringLiteral("07700900222")},
                        QString(), QString(), both);
    EXPECT_EQ(result.added, 2);
    EXPECT_EQ(result.duplicates, 1);
    EXPECT_EQ(result.excluded, 1);
    EXPECT_EQ(list.Number(1), QStringLiteral("+447700900111"));
    EXPECT_EQ(list.Number(2), QStringLiteral("07700900222"));
}

TEST(RecipientListCountryTest, ChangingTheCountryReindexesTheRows) {
    RecipientList list;
    list.InsertRow(0, QStringLiteral("07700900555"), QString(), QString());
    list.InsertRow(1, QStringLiteral("+447700900555"), QString(), QString());
    const NumberCheckOptions duplicates{true, false, nullptr};
    EXPECT_TRUE(list.CheckNumber(QStringLiteral("00447700900555"), duplicates).Ok());
    EXPECT_EQ(list.NumberCount(QStringLiteral("07700900555")), 1);

    list.SetNumberComparison(NumberComparison::ForCountry(QStringLiteral("GB")));
    EXPECT_EQ(list.Comparison().Country(), QStringLiteral("GB"));
    EXPECT_EQ(list.CheckNumber(QStringLiteral("00447700900555"), duplicates).error, NumberCheckError::Duplicate);
    EXPECT_EQ(list.NumberCount(QStringLiteral("07700900555")), 2);
    EXPECT_EQ(list.Count(), 2); // the rows themselves are untouched

    // For France the same texts are other numbers.
    list.SetNumberComparison(NumberComparison::ForCountry(QStringLiteral("FR")));
    EXPECT_EQ(list.NumberCount(QStringLiteral("07700900555")), 1);
    list.SetNumberComparison(NumberComparison());
    EXPECT_TRUE(list.CheckNumber(QStringLiteral("00447700900555"), duplicates).Ok());

    // Removing a row forgets it under its form.
    list.SetNumberComparison(NumberComparison::ForCountry(QStringLiteral("GB")));
    ASSERT_EQ(list.RemoveSelected({0}), ListRefusal::None);
    EXPECT_EQ(list.NumberCount(QStringLiteral("07700 900555")), 1);
}

TEST(RecipientListCountryTest, EditingARowKeepsItsOwnNumberInAnotherFormat) {
    // The update dialog's check: a row may be given its own number in another format, but not another row's.
    RecipientList list(NumberComparison::ForCountry(QStringLiteral("GB")));
    list.InsertRow(0, QStringLiteral("07700900555"), QString(), QString());
    list.InsertRow(1, QStringLiteral("07700900666"), QString(), QString());
    ExclusionSet exclusions(NumberComparison::ForCountry(QStringLiteral("GB")));
    exclusions.Add(QStringLiteral("+447700900555"));
    ScriptedPrompter prompter;
    ListEditController controller(list, prompter);
    const NumberCheckOptions both{true, true, &exclusions};

    // Its own number, excluded since it was added: the edit keeps it (as the text-only check always has).
    EXPECT_TRUE(controller.CheckEditedNumber(0, QStringLiteral("+44 7700 900555"), both).Ok());
    EXPECT_EQ(controller.CheckEditedNumber(0, QStringLiteral("+447700900666"), both).error,
              NumberCheckError::Duplicate);
    EXPECT_EQ(controller.CheckEditedNumber(1, QStringLiteral("0044 7700 900555"), both).error,
              NumberCheckError::Duplicate);
}

} // namespace
