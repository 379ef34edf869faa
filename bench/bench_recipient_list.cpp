// The Recipient list under an import: 1,050,000 candidate numbers go through the number check with
// "Skip Duplicate Numbers" and "Use Exclusion Rules" on, against an exclusion set of 100,000 numbers of which
// 50,000 are among the candidates, so 1,000,000 rows are inserted (at 0, 1, 2 ... as a file import does).
// Two ways are measured, each in a fresh child process so neither inherits the other's memory: AddNumber row by
// row (as "Add" and a simple source call it) and AddNumbers by chunks of 10,000 (as a file import hands rows
// over). Prints seconds and the child's peak resident set size. Then, over a list of that many rows, the list
// editing steps that read or write every row: the blank-message scan with two edited-number checks, and
// reading every row's number then replacing every row's message (as "Update Selected Messages" with all
// rows selected does).
// Usage: bench_recipient_list [rows] (default 1000000)

#include "BenchMeasure.h"
#include "app/Prompter.h"
#include "composer/ListEditController.h"
#include "composer/RecipientList.h"
#include "exclusion/ExclusionSet.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

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
    const long rows = argc > 1 ? std::atol(argv[1]) : 1000000;
    const long excludedCandidates = rows / 20;

    // Candidate i is "+4479" followed by i * 7 in eight digits. The set holds the first excludedCandidates of
    // them and as many numbers that no candidate has (i * 7 + 1).
    ExclusionSet exclusions;
    for (long i = 0; i < excludedCandidates; ++i) {
        exclusions.Add(QStringLiteral("+4479%1").arg(i * 7, 8, 10, QLatin1Char('0')));
        exclusions.Add(QStringLiteral("+4479%1").arg(i * 7 + 1, 8, 10, QLatin1Char('0')));
    }

    // Candidates as a text file would hold them: with spaces and a hyphen that the number check removes.
    QStringList candidates;
    candidates.reserve(rows + excludedCandidates);
    for (long i = 0; i < rows + excludedCandidates; ++i)
        candidates << QStringLiteral("+44 79%1-%2")
                          .arg(i * 7 / 10000, 4, 10, QLatin1Char('0'))
                          .arg(i * 7 % 10000, 4, 10, QLatin1Char('0'));
    const QString composer = QStringLiteral("Our shop opens at 9 on Saturday. Reply STOP to opt out.");
    const long rssBefore = PeakRssKiB();
    std::printf("peak RSS before any list (candidate texts and exclusion set): %ld KiB\n", rssBefore);

    const NumberCheckOptions options{true, true, &exclusions};
    bool withinLimits = true;

    // 1. Row by row, as "Add" and a simple source call it.
    withinLimits =
        InChild([&] {
            RecipientList list;
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
            RecipientList list;
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
