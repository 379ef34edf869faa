// The Recipient list under an import: candidate numbers go through the number check with "Skip Duplicate
// Numbers" and "Use Exclusion Rules" on, against an exclusion set of which rows/20 numbers are among the
// candidates, so `rows` rows are inserted (at 0, 1, 2 ... as a file import does). Two ways are measured, each in a
// fresh child process so neither inherits the other's memory: AddNumber row by row (as "Add" and a simple source
// call it) and AddNumbers by chunks of 10,000 (as a file import hands rows over). Prints seconds and the child's
// peak resident set size. Then, over a list of that many rows, the list editing steps that read or write every
// row: the blank-message scan with two edited-number checks, and reading every row's number then replacing
// every row's message (as "Update Selected Messages" with all rows selected does).
//
// Usage: bench_recipient_list [rows] [--country CC] [--exclusions N] [--mixed]
//   rows            rows inserted (default 1000000)
//   --exclusions N  numbers in the exclusion set (default rows/10)
//   --mixed         candidates and exclusions as British mobiles in four shapes (national with spaces, "+44",
//                   "0044" with a dash, brackets), an excluded number written in another shape than its
//                   candidate; without it every number is "+4479..." with a space and a dash
//   --country CC    compare by international form for the country (default: as texts, as without a country)

#include "BenchMeasure.h"
#include "MixedNumbers.h"
#include "app/Prompter.h"
#include "composer/ListEditController.h"
#include "composer/RecipientList.h"
#include "exclusion/ExclusionSet.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

// The exclusion entries of the plain case as the number check leaves the candidates: "+4479..." with no
// separators, so that those entries exclude their candidates when numbers compare as texts.
QString NormalizeForSet(QString text) {
    return text.remove(QLatin1Char(' ')).remove(QLatin1Char('-'));
}

// Runs one measurement in a child process; true when it kept within the limits.
template <typename Body> bool InChild(Body body) {
    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child == 0) {
        const bool ok = body();
        std::fflush(stdout);
        std::_Exit(ok ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

int main(int argc, char** argv) {
    long rows = 1000000;
    long exclusionCount = -1;
    bool mixed = false;
    QString country;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--country") == 0 && i + 1 < argc)
            country = QString::fromLatin1(argv[++i]);
        else if (std::strcmp(argv[i], "--exclusions") == 0 && i + 1 < argc)
            exclusionCount = std::atol(argv[++i]);
        else if (std::strcmp(argv[i], "--mixed") == 0)
            mixed = true;
        else
            rows = std::atol(argv[i]);
    }
    if (exclusionCount < 0)
        exclusionCount = rows / 10;
    const long excludedCandidates = std::min(rows / 20, exclusionCount);
    const NumberComparison comparison = NumberComparison::ForCountry(country);
    if (!country.isEmpty() && !comparison.ByInternationalForm()) {
        std::fprintf(stderr, "unknown country %s\n", qPrintable(country));
        return 2;
    }
    std::printf("%ld rows, %ld exclusions (%ld of them candidates), %s numbers, compared %s\n", rows, exclusionCount,
                excludedCandidates, mixed ? "mixed-format" : "\"+44 79...\"",
                comparison.ByInternationalForm() ? qPrintable(QStringLiteral("by international form for ") + country)
                                                 : "as texts");

    // Candidate i is the number i * 7. The set holds the first excludedCandidates of them (in mixed mode in
    // another shape than the candidate's) and numbers that no candidate has (i * 7 + 1).
    auto text = [mixed](long long value, int shape) {
        return mixed ? MixedNumber(value, shape)
                     : QStringLiteral("+44 79%1-%2")
                           .arg(value / 10000, 4, 10, QLatin1Char('0'))
                           .arg(value % 10000, 4, 10, QLatin1Char('0'));
    };
    const auto setStart = std::chrono::steady_clock::now();
    ExclusionSet exclusions(comparison);
    exclusions.Reserve(exclusionCount);
    for (long i = 0; i < excludedCandidates; ++i)
        exclusions.Add(mixed ? text(i * 7LL, static_cast<int>(i) + 1) : NormalizeForSet(text(i * 7LL, 0)));
    for (long i = 0; i < exclusionCount - excludedCandidates; ++i)
        exclusions.Add(mixed ? text(i * 7LL + 1, static_cast<int>(i)) : NormalizeForSet(text(i * 7LL + 1, 0)));
    std::printf("exclusion set of %lld entries built in %.3f s\n", static_cast<long long>(exclusions.EntryCount()),
                SecondsSince(setStart));

    // Candidates as a text file would hold them: with the separators that the number check removes.
    QStringList candidates;
    candidates.reserve(rows + excludedCandidates);
    for (long i = 0; i < rows + excludedCandidates; ++i)
        candidates << text(i * 7LL, static_cast<int>(i));
    const QString composer = QStringLiteral("Our shop opens at 9 on Saturday. Reply STOP to opt out.");
    const long rssBefore = PeakRssKiB();
    std::printf("peak RSS before any list (candidate texts and exclusion set): %ld KiB\n", rssBefore);

    const NumberCheckOptions options{true, true, &exclusions};
    bool withinLimits = true;

    // 1. Row by row, as "Add" and a simple source call it.
    withinLimits =
        InChild([&] {
            RecipientList list(comparison);
            long excluded = 0;
            long duplicates = 0;
            const double cpuStart = CpuSeconds();
            const auto start = std::chrono::steady_clock::now();
            qsizetype position = 0;
            for (const QString& raw : candidates) {
                const NumberCheckResult r = list.AddNumber(position, raw, composer, composer, options);
                if (r.Ok())
                    ++position;
                else if (r.error == NumberCheckError::Excluded)
                    ++excluded;
                else if (r.error == NumberCheckError::Duplicate)
                    ++duplicates;
            }
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            std::printf(
                "AddNumber row by row: %lld rows inserted, %ld excluded, %ld duplicates; %.3f s wall, %.3f s CPU "
                "(limit 2 s)\n",
                static_cast<long long>(list.Count()), excluded, duplicates, seconds, CpuSeconds() - cpuStart);
            const long peak = PeakRssKiB();

            // A repeat of the first 100,000 candidates: each is now a duplicate or excluded.
            const auto repeatStart = std::chrono::steady_clock::now();
            long refused = 0;
            for (long i = 0; i < 100000 && i < candidates.size(); ++i)
                refused += list.CheckNumber(candidates.at(i), options).Ok() ? 0 : 1;
            std::printf("100000 repeated checks: %ld refused, %.3f s\n", refused,
                        std::chrono::duration<double>(std::chrono::steady_clock::now() - repeatStart).count());
            std::printf("  peak RSS with the list: %ld KiB (limit 400 MB)\n", peak);
            return seconds < 2.0 && peak < 400 * 1024;
        }) &&
        withinLimits;

    // 2. In chunks of 10,000 numbers, as a file import hands them over.
    withinLimits =
        InChild([&] {
            RecipientList list(comparison);
            RecipientList::AddNumbersResult total;
            const double cpuStart = CpuSeconds();
            const auto start = std::chrono::steady_clock::now();
            constexpr qsizetype kPerCall = 10000;
            for (qsizetype first = 0; first < candidates.size(); first += kPerCall) {
                const RecipientList::AddNumbersResult r =
                    list.AddNumbers(total.added, candidates.mid(first, kPerCall), composer, composer, options);
                total.added += r.added;
                total.excluded += r.excluded;
                total.duplicates += r.duplicates;
            }
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            std::printf(
                "AddNumbers by chunks: %lld rows inserted, %lld excluded; %.3f s wall, %.3f s CPU (limit 2 s)\n",
                static_cast<long long>(list.Count()), static_cast<long long>(total.excluded), seconds,
                CpuSeconds() - cpuStart);
            const long peak = PeakRssKiB();
            std::printf("  peak RSS with the list: %ld KiB (limit 400 MB)\n", peak);
            return seconds < 2.0 && peak < 400 * 1024;
        }) &&
        withinLimits;
    // 3. The list editing steps that read or write every row.
    withinLimits =
        InChild([&] {
            struct : Prompter {
                Answer Ask(const QString&, const QString&, Icon, Buttons) override { return Answer::Yes; }
            } prompter;
            RecipientList list;
            QStringList numbers;
            numbers.reserve(rows);
            for (long i = 0; i < rows; ++i)
                numbers << QString::number(10'000'000 + i);
            static_cast<void>(list.AddNumbers(0, numbers, composer, composer, {}));
            ListEditController controller(list, prompter);
            NumberCheckOptions skip;
            skip.skipDuplicates = true;

            auto start = std::chrono::steady_clock::now();
            const bool blank = controller.HasBlankMessage();
            const bool own = controller.CheckEditedNumber(rows / 2, numbers.at(rows / 2), skip).Ok();
            const bool other = controller.CheckEditedNumber(rows / 2, numbers.at(7), skip).Ok();
            const double checkSeconds = SecondsSince(start);

            std::vector<qsizetype> all(static_cast<std::size_t>(rows));
            for (long i = 0; i < rows; ++i)
                all[static_cast<std::size_t>(i)] = i;
            start = std::chrono::steady_clock::now();
            const qsizetype read = controller.NumbersOf(all).size();
            controller.UpdateSelected(all, QStringLiteral("new"));
            const double updateSeconds = SecondsSince(start);
            std::printf("list editing over %ld rows: blank scan + two edited-number checks %.1f ms; every number "
                        "read + every message replaced %.1f ms\n",
                        rows, checkSeconds * 1e3, updateSeconds * 1e3);
            // The answers a million-row list must give: no blank row, the row's own number accepted, another
            // row's refused, every row read and rewritten.
            return !blank && own && !other && read == rows && list.Message(rows - 1) == QLatin1String("new");
        }) &&
        withinLimits;
    return withinLimits ? 0 : 1;
}
