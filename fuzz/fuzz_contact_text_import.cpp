// Contact text files are untrusted input: "Load Contacts From File" must end every file in an outcome, never
// crash, and keep the Recipient list's rules whatever the bytes. The input is written to a file and imported
// through ContactTextImport::ImportFile; the first byte also picks the number-check options. The result is
// checked against the bulk insertion path (RecipientList::AddNumbers over SplitNumbers), which must agree
// with the row-by-row import.

#include "composer/ContactTextImport.h"
#include "composer/RecipientList.h"
#include "exclusion/ExclusionSet.h"
#include "exclusion/NumberText.h"

#include <QByteArray>
#include <QFile>
#include <QSet>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

char g_dir[] = "/tmp/fuzz_contact_text_XXXXXX";
QString g_path;

void RemoveFile() {
    ::unlink(QFile::encodeName(g_path).constData());
    ::rmdir(g_dir);
}

bool WriteInput(const std::uint8_t* data, std::size_t size) {
    const int fd = ::open(QFile::encodeName(g_path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        return false;
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return done == size;
}

void Check(bool condition) {
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (!::mkdtemp(g_dir))
        std::abort();
    g_path = QString::fromLocal8Bit(g_dir) + QStringLiteral("/contacts.txt");
    std::atexit(RemoveFile);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!WriteInput(data, size))
        std::abort();
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::uint8_t control = size > 0 ? data[0] : 0;

    // Every third token of the file is excluded, so that the exclusion test is reached with real numbers.
    const QStringList tokens = ContactTextImport::SplitNumbers(bytes);
    ExclusionSet excluded;
    for (qsizetype i = 0; i < tokens.size(); i += 3)
        excluded.Add(NormalizeNumber(tokens.at(i)).trimmed());
    NumberCheckOptions options;
    options.skipDuplicates = (control & 1) != 0;
    options.useExclusionRules = (control & 2) != 0;
    options.exclusionSet = &excluded;

    for (const QString& token : tokens) {
        Check(!token.isEmpty());
        Check(!token.contains(QLatin1Char(' ')) && !token.contains(QLatin1Char(',')) &&
              !token.contains(QLatin1Char('\r')) && !token.contains(QLatin1Char('\n')));
    }

    RecipientList list;
    list.InsertRow(0, QStringLiteral("999"), QStringLiteral("kept"), QString());
    const ContactTextImport::Outcome outcome =
        ContactTextImport::ImportFile(g_path, list, QStringLiteral("hello"), options);

    const bool marked = bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF") || bytes.startsWith("\xEF\xBB");
    if (marked || bytes.isEmpty()) {
        Check(outcome.added == 0 && list.Count() == 1);
        Check(outcome.refusal == (marked ? ContactTextImport::kNotAnsi : ContactTextImport::kEmpty));
        return 0;
    }
    Check(list.Count() == outcome.added + 1);
    Check((outcome.refusal == ContactTextImport::kNothingAdded) == (outcome.added == 0));
    Check(list.Number(list.Count() - 1) == QStringLiteral("999"));

    QSet<QString> seen;
    for (qsizetype i = 0; i < list.Count() - 1; ++i) {
        const QString number = list.Number(i);
        Check(IsValidNumberText(number));
        Check(number == NormalizeNumber(number).trimmed());
        Check(list.Message(i) == QStringLiteral("hello"));
        if (options.useExclusionRules)
            Check(!excluded.IsExcluded(number));
        if (options.skipDuplicates) {
            Check(!seen.contains(CaseFoldedKey(number)) && number != QStringLiteral("999"));
            seen.insert(CaseFoldedKey(number));
        }
    }

    // The bulk path over the same tokens gives the same rows.
    RecipientList bulk;
    bulk.InsertRow(0, QStringLiteral("999"), QStringLiteral("kept"), QString());
    const RecipientList::AddNumbersResult added =
        bulk.AddNumbers(0, tokens, QStringLiteral("hello"), QStringLiteral("hello"), options);
    Check(added.added == outcome.added);
    Check(added.added + added.invalid + added.duplicates + added.excluded == tokens.size());
    Check(bulk.Count() == list.Count());
    for (qsizetype i = 0; i < list.Count(); ++i)
        Check(bulk.Number(i) == list.Number(i));
    return 0;
}
