// Exclusion list text files are untrusted input: the import must end every file in a result, never crash, and
// take exactly the numbers a plain reading of the rule gives. The bytes go through ImportNumbersFromText into
// a list that already holds a few numbers; the result is compared with a model written here from the rule:
// ' ' and CR dropped, ',' and LF end a token, each token normalised and trimmed, kept when it is a valid number
// not yet listed (letter case ignored), the kept numbers ahead of the old ones in file order.

#include "common/AnsiCodec.h"
#include "exclusion/ExclusionListRules.h"
#include "exclusion/ExclusionNumberList.h"
#include "exclusion/NumberText.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace {

void Check(bool condition) {
    if (!condition)
        __builtin_trap();
}

bool Listed(const QStringList& numbers, const QString& number) {
    for (const QString& n : numbers) {
        if (QString::compare(n, number, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The model is quadratic in the number of tokens; long inputs add nothing the short ones do not reach.
    if (size > 4096)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QStringList old = {QStringLiteral("0123"), QStringLiteral("+4412"), QStringLiteral("12-34")};
    ExclusionNumberList list(old);
    std::atomic<qsizetype> progress{0};
    const TextImportResult result = ImportNumbersFromText(bytes, list, &progress);

    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF") || bytes.startsWith("\xEF\xBB")) {
        Check(result.error == TextImportError::NotAnsi && result.taken == 0 && list.Numbers() == old);
        return 0;
    }
    if (bytes.isEmpty()) {
        Check(result.error == TextImportError::EmptyFile && list.Numbers() == old);
        return 0;
    }

    QStringList expected;
    QStringList known = old;
    qsizetype skipped = 0;
    QByteArray token;
    const auto take = [&] {
        if (!token.isEmpty()) {
            const QString number = NormalizeNumber(AnsiCodec::Decode(token)).trimmed();
            if (!number.isEmpty()) {
                if (IsValidNumberText(number) && !Listed(known, number)) {
                    expected << number;
                    known << number;
                } else {
                    ++skipped;
                }
            }
        }
        token.clear();
    };
    for (const char b : bytes) {
        if (b == ' ' || b == '\r')
            continue;
        if (b == ',' || b == '\n')
            take();
        else
            token.append(b);
    }
    take();

    Check(result.taken == expected.size());
    Check(result.skipped == skipped);
    Check(progress.load() == result.taken);
    Check((result.error == TextImportError::NothingTaken) == expected.isEmpty());
    Check(list.Numbers() == expected + old);
    for (const QString& number : expected) {
        Check(list.Contains(number));
        Check(!number.contains(QLatin1Char(' ')) && !number.contains(QLatin1Char('(')) &&
              !number.contains(QLatin1Char(')')) && !number.contains(QLatin1Char('-')));
        Check(number.lastIndexOf(QLatin1Char('+')) <= 0);
    }
    return 0;
}
