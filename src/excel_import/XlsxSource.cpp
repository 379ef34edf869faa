#include "excel_import/XlsxSource.h"

#include "excel_import/CellTextFormat.h"
#include "excel_import/SheetCells.h"
#include "excel_import/XmlHandler.h"

#include <QDateTime>

#include <charconv>
#include <cstring>
#include <map>

namespace {

// The XML text of one cell or shared string at most. A cell holds at most 32,767 characters; even written
// entirely as "_xHHHH_" escapes they stay below this.
constexpr std::size_t kMaxTextBytes = 1024 * 1024;

bool EndsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

bool IsTrue(const char* value) {
    return value && (std::strcmp(value, "1") == 0 || std::strcmp(value, "true") == 0);
}

template <typename T> bool ParseUnsigned(std::string_view text, T* value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value);
    return ec == std::errc() && end == text.data() + text.size();
}

bool ParseDouble(std::string_view text, double* value) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\n'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\n'))
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value);
    return ec == std::errc() && end == text.data() + text.size();
}

// Relationships of one part: Id -> (type, resolved target).
class RelationshipsHandler : public XmlHandler {
public:
    struct Relationship {
        std::string type;
        std::string target;
    };
    explicit RelationshipsHandler(std::string sourcePart) : m_source(std::move(sourcePart)) {}

    void StartElement(std::string_view name, const char** attributes) override {
        if (name != "Relationship")
            return;
        const char* id = Attribute(attributes, "Id");
        const char* type = Attribute(attributes, "Type");
        const char* target = Attribute(attributes, "Target");
        const char* mode = Attribute(attributes, "TargetMode");
        if (!id || !type || !target || (mode && std::strcmp(mode, "External") == 0))
            return;
        m_relationships[id] = {type, XlsxPackage::ResolveTarget(m_source, target)};
    }
    void EndElement(std::string_view) override {}

    const std::map<std::string, Relationship>& Relationships() const { return m_relationships; }
    // The target of the first relationship whose type ends with "/" + kind.
    std::string TargetOfType(std::string_view kind) const {
        const std::string suffix = "/" + std::string(kind);
        for (const auto& [id, r] : m_relationships) {
            if (EndsWith(r.type, suffix))
                return r.target;
        }
        return {};
    }

private:
    std::string m_source;
    std::map<std::string, Relationship> m_relationships;
};

class WorkbookHandler : public XmlHandler {
public:
    struct Entry {
        QString name;
        std::string relationshipId;
    };

    void StartElement(std::string_view name, const char** attributes) override {
        if (name == "sheet") {
            const char* sheetName = Attribute(attributes, "name");
            const char* id = Attribute(attributes, "id");
            m_entries.push_back({sheetName ? XlsxSource::DecodeText(sheetName) : QString(), id ? id : ""});
        } else if (name == "workbookPr") {
            m_date1904 = IsTrue(Attribute(attributes, "date1904"));
        }
    }
    void EndElement(std::string_view) override {}

    std::vector<Entry> m_entries;
    bool m_date1904 = false;
};

// Number formats and the cell formats (cellXfs) that use them.
class StylesHandler : public XmlHandler {
public:
    void StartElement(std::string_view name, const char** attributes) override {
        if (name == "numFmt") {
            int id = 0;
            const char* idText = Attribute(attributes, "numFmtId");
            const char* code = Attribute(attributes, "formatCode");
            if (idText && code && ParseUnsigned(std::string_view(idText), &id))
                m_codes[id] = QString::fromUtf8(code);
        } else if (name == "cellXfs") {
            m_inCellFormats = true;
        } else if (name == "xf" && m_inCellFormats) {
            int id = 0;
            const char* idText = Attribute(attributes, "numFmtId");
            if (!idText || !ParseUnsigned(std::string_view(idText), &id))
                id = 0;
            m_formatIds.push_back(id);
        }
    }
    void EndElement(std::string_view name) override {
        if (name == "cellXfs")
            m_inCellFormats = false;
    }

    std::vector<bool> DateStyles() const {
        std::vector<bool> out;
        out.reserve(m_formatIds.size());
        for (int id : m_formatIds) {
            const auto it = m_codes.find(id);
            out.push_back(it != m_codes.end() ? CellTextFormat::IsDateFormatCode(it->second)
                                              : CellTextFormat::IsBuiltInDateFormat(id));
        }
        return out;
    }

private:
    bool m_inCellFormats = false;
    std::map<int, QString> m_codes;
    std::vector<int> m_formatIds;
};

// The text of a string item (<si>, or <is> of an inline string): every <t> of it, plain or inside rich text
// runs, except the phonetic guide runs (<rPh>) that only annotate the text.
class StringItemCollector {
public:
    void Start(std::string_view name) {
        if (name == "rPh")
            ++m_phonetic;
        else if (name == "t" && m_phonetic == 0)
            m_inText = true;
    }
    void End(std::string_view name) {
        if (name == "rPh" && m_phonetic > 0)
            --m_phonetic;
        else if (name == "t")
            m_inText = false;
    }
    // False when the item's text grows past kMaxTextBytes.
    bool Characters(std::string_view text) {
        if (!m_inText)
            return true;
        if (m_text.size() + text.size() > kMaxTextBytes)
            return false;
        m_text.append(text);
        return true;
    }
    QString Take() {
        QString out = XlsxSource::DecodeText(m_text);
        m_text.clear();
        m_inText = false;
        m_phonetic = 0;
        return out;
    }

private:
    std::string m_text;
    bool m_inText = false;
    int m_phonetic = 0;
};

class SharedStringsHandler : public XmlHandler {
public:
    SharedStringsHandler(std::vector<QString>* strings, std::size_t maxStrings)
        : m_strings(strings), m_maxStrings(maxStrings) {}

    void StartElement(std::string_view name, const char**) override {
        if (name == "si") {
            m_inItem = true;
        } else if (m_inItem) {
            m_item.Start(name);
        }
    }
    void EndElement(std::string_view name) override {
        if (name == "si") {
            m_inItem = false;
            if (m_strings->size() >= m_maxStrings) {
                Fail(QStringLiteral("The workbook has more shared strings than the reader keeps."));
                return;
            }
            m_strings->push_back(m_item.Take());
        } else if (m_inItem) {
            m_item.End(name);
        }
    }
    void Characters(std::string_view text) override {
        if (m_inItem && !m_item.Characters(text))
            Fail(QStringLiteral("A shared string is longer than a cell can hold."));
    }

private:
    std::vector<QString>* m_strings;
    std::size_t m_maxStrings;
    StringItemCollector m_item;
    bool m_inItem = false;
};

// One worksheet's <sheetData>: every <c> with a value becomes a value of the sheet.
class WorksheetHandler : public XmlHandler {
public:
    WorksheetHandler(SheetCells* cells, const std::vector<bool>* dateStyles)
        : m_cells(cells), m_dateStyles(dateStyles) {}

    void StartElement(std::string_view name, const char** attributes) override {
        if (m_inCell) {
            if (name == "v") {
                m_inValue = true;
                m_hasValue = true;
            } else if (name == "is") {
                m_inInline = true;
                m_hasInline = true;
            } else if (m_inInline) {
                m_inlineText.Start(name);
            }
            return;
        }
        if (name == "sheetData") {
            m_inSheetData = true;
        } else if (!m_inSheetData) {
            return; // cells are only those of <sheetData>
        } else if (name == "c") {
            StartCell(attributes);
        } else if (name == "row") {
            const char* r = Attribute(attributes, "r");
            std::uint32_t row = 0;
            if (r) {
                if (!ParseUnsigned(std::string_view(r), &row) || row == 0 || row > SheetCells::kMaxRows) {
                    Fail(QStringLiteral("A row number is outside the sheet: %1.").arg(QString::fromUtf8(r)));
                    return;
                }
                m_row = row - 1;
            } else {
                m_row = m_rowSeen ? m_row + 1 : 0;
            }
            m_rowSeen = true;
            m_nextColumn = 0;
        }
    }

    void EndElement(std::string_view name) override {
        if (name == "sheetData")
            m_inSheetData = false;
        if (!m_inCell)
            return;
        if (name == "c") {
            EndCell();
        } else if (name == "v") {
            m_inValue = false;
        } else if (name == "is") {
            m_inInline = false;
        } else if (m_inInline) {
            m_inlineText.End(name);
        }
    }

    void Characters(std::string_view text) override {
        bool fits = true;
        if (m_inValue) {
            fits = m_value.size() + text.size() <= kMaxTextBytes;
            if (fits)
                m_value.append(text);
        } else if (m_inInline) {
            fits = m_inlineText.Characters(text);
        }
        if (!fits)
            Fail(QStringLiteral("A cell's text is longer than a cell can hold."));
    }

private:
    void StartCell(const char** attributes) {
        m_inCell = true;
        m_inValue = m_inInline = m_hasValue = m_hasInline = false;
        m_value.clear();
        const char* reference = Attribute(attributes, "r");
        if (reference) {
            std::uint32_t row = 0;
            if (!XlsxSource::ParseCellReference(reference, &row, &m_column)) {
                Fail(QStringLiteral("A cell reference is outside the sheet: %1.").arg(QString::fromUtf8(reference)));
                return;
            }
            m_row = row;
            m_rowSeen = true;
        } else {
            m_column = m_nextColumn;
            if (!m_rowSeen) {
                m_row = 0;
                m_rowSeen = true;
            }
        }
        m_nextColumn = m_column + 1;
        const char* type = Attribute(attributes, "t");
        m_type = type ? type : "n";
        const char* style = Attribute(attributes, "s");
        std::uint32_t styleIndex = 0;
        m_isDate = style && ParseUnsigned(std::string_view(style), &styleIndex) && styleIndex < m_dateStyles->size() &&
                   (*m_dateStyles)[styleIndex];
    }

    void EndCell() {
        m_inCell = m_inValue = m_inInline = false;
        bool added = true;
        if (m_type == "inlineStr") {
            if (m_hasInline)
                added = m_cells->AddText(m_row, m_column, m_inlineText.Take());
            else if (m_hasValue)
                added = m_cells->AddText(m_row, m_column, XlsxSource::DecodeText(m_value));
        } else if (!m_hasValue) {
            return; // a formatted cell, or a formula without a cached result: no value
        } else if (m_type == "s") {
            std::uint32_t index = 0;
            if (!ParseUnsigned(std::string_view(m_value), &index) || index >= m_cells->SharedStringCount()) {
                Fail(QStringLiteral("A cell refers to a shared string that does not exist."));
                return;
            }
            added = m_cells->AddSharedText(m_row, m_column, index);
        } else if (m_type == "str") {
            added = m_cells->AddText(m_row, m_column, XlsxSource::DecodeText(m_value));
        } else if (m_type == "b") {
            added = m_cells->AddBoolean(m_row, m_column, m_value == "1" || m_value == "true");
        } else if (m_type == "e") {
            added = m_cells->AddError(m_row, m_column, XlsxSource::DecodeText(m_value));
        } else if (m_type == "d") {
            added = AddIsoDate();
        } else if (m_value.empty()) {
            return;
        } else {
            double number = 0;
            if (!ParseDouble(m_value, &number)) {
                Fail(QStringLiteral("A number cell holds %1.").arg(QString::fromUtf8(m_value.c_str())));
                return;
            }
            added = m_cells->AddNumber(m_row, m_column, number, m_isDate);
        }
        if (!added)
            Fail(QStringLiteral("The sheet holds more values than the reader keeps (%1).").arg(m_cells->MaxCells()));
    }

    // A cell of type "d": an ISO 8601 date, time or both, kept as the date serial the other cells use.
    bool AddIsoDate() {
        const QString text = QString::fromUtf8(m_value.c_str()).trimmed();
        QDateTime when = QDateTime::fromString(text, Qt::ISODateWithMs);
        if (!when.isValid()) {
            const QDate date = QDate::fromString(text, Qt::ISODate);
            const QTime time = QTime::fromString(text, Qt::ISODateWithMs);
            if (date.isValid())
                when = QDateTime(date, QTime(0, 0));
            else if (time.isValid())
                when = QDateTime(QDate(1899, 12, 30), time);
        }
        if (!when.isValid())
            return m_cells->AddText(m_row, m_column, text);
        const double days = static_cast<double>(QDate(1899, 12, 30).daysTo(when.date()));
        const double seconds = static_cast<double>(when.time().msecsSinceStartOfDay()) / 1000.0;
        return m_cells->AddNumber(m_row, m_column, days + seconds / 86400.0, true);
    }

    SheetCells* m_cells;
    const std::vector<bool>* m_dateStyles;
    bool m_inSheetData = false;
    bool m_rowSeen = false;
    std::uint32_t m_row = 0;
    std::uint32_t m_column = 0;
    std::uint32_t m_nextColumn = 0;
    bool m_inCell = false;
    bool m_inValue = false;
    bool m_inInline = false;
    bool m_hasValue = false;
    bool m_hasInline = false;
    bool m_isDate = false;
    std::string m_type;
    std::string m_value;
    StringItemCollector m_inlineText;
};

const QString kDamaged = QStringLiteral("The workbook is damaged: %1");

} // namespace

QString XlsxSource::DecodeText(std::string_view utf8) {
    if (utf8.find("_x") == std::string_view::npos)
        return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('_') && i + 6 < text.size() && text.at(i + 1) == QLatin1Char('x') &&
            text.at(i + 6) == QLatin1Char('_')) {
            char16_t code = 0;
            bool hex = true;
            for (qsizetype k = i + 2; k < i + 6 && hex; ++k) {
                const int digit = QStringView(text).mid(k, 1).toString().toInt(&hex, 16);
                code = static_cast<char16_t>(code * 16 + digit);
            }
            if (hex) {
                out += QChar(code);
                i += 6;
                continue;
            }
        }
        out += text.at(i);
    }
    return out;
}

bool XlsxSource::ParseCellReference(std::string_view reference, std::uint32_t* row, std::uint32_t* column) {
    std::size_t i = 0;
    std::uint32_t col = 0;
    while (i < reference.size() && i < 4) {
        char c = reference[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c < 'A' || c > 'Z')
            break;
        col = col * 26 + static_cast<std::uint32_t>(c - 'A' + 1);
        ++i;
    }
    if (i == 0 || col > SheetCells::kMaxColumns)
        return false;
    std::uint32_t r = 0;
    if (!ParseUnsigned(reference.substr(i), &r) || r == 0 || r > SheetCells::kMaxRows)
        return false;
    *row = r - 1;
    *column = col - 1;
    return true;
}

ReaderStatus XlsxSource::Open(const char* data, std::size_t size, const ReaderLimits& limits,
                              std::unique_ptr<WorkbookSource>* source) {
    auto xlsx = std::unique_ptr<XlsxSource>(new XlsxSource(limits));
    if (ReaderStatus status = xlsx->m_package.Open(data, size); !status)
        return status;
    if (ReaderStatus status = xlsx->ReadWorkbook(); !status)
        return status;
    *source = std::move(xlsx);
    return ReaderStatus::Success();
}

ReaderStatus XlsxSource::ReadWorkbook() {
    QString error;
    // The package relationships name the main part; packages without them keep it in the usual place.
    RelationshipsHandler root{std::string()};
    if (m_package.HasPart("_rels/.rels") && m_package.ParsePart("_rels/.rels", root, &error))
        m_workbookPart = root.TargetOfType("officeDocument");
    if (m_workbookPart.empty() || !m_package.HasPart(m_workbookPart))
        m_workbookPart = "xl/workbook.xml";
    if (!m_package.HasPart(m_workbookPart))
        return ReaderStatus::Fail(ReaderError::OpenFailed, QStringLiteral("The file holds no spreadsheet."));

    WorkbookHandler workbook;
    if (!m_package.ParsePart(m_workbookPart, workbook, &error))
        return ReaderStatus::Fail(ReaderError::OpenFailed, kDamaged.arg(error));
    m_date1904 = workbook.m_date1904;

    RelationshipsHandler relationships{m_workbookPart};
    const std::string relationshipsPart = XlsxPackage::RelationshipsPart(m_workbookPart);
    if (m_package.HasPart(relationshipsPart) && !m_package.ParsePart(relationshipsPart, relationships, &error))
        return ReaderStatus::Fail(ReaderError::OpenFailed, kDamaged.arg(error));
    m_sharedStringsPart = relationships.TargetOfType("sharedStrings");
    m_stylesPart = relationships.TargetOfType("styles");

    for (const WorkbookHandler::Entry& entry : workbook.m_entries) {
        Sheet sheet;
        sheet.name = entry.name;
        const auto& all = relationships.Relationships();
        const auto it = all.find(entry.relationshipId);
        if (it != all.end()) {
            sheet.part = it->second.target;
            if (EndsWith(it->second.type, "/worksheet"))
                sheet.kind = SheetKind::Worksheet;
            else if (EndsWith(it->second.type, "/chartsheet"))
                sheet.kind = SheetKind::Chart;
        }
        m_sheets.push_back(std::move(sheet));
    }
    return ReaderStatus::Success();
}

ReaderStatus XlsxSource::LoadShared() {
    if (m_sharedLoaded)
        return ReaderStatus::Success();
    QString error;
    bool encrypted = false;
    auto strings = std::make_shared<std::vector<QString>>();
    if (!m_sharedStringsPart.empty() && m_package.HasPart(m_sharedStringsPart)) {
        SharedStringsHandler handler(strings.get(), m_limits.maxCells);
        if (!m_package.ParsePart(m_sharedStringsPart, handler, &error, &encrypted))
            return ReaderStatus::Fail(ReaderError::AutomationError, kDamaged.arg(error));
    }
    if (!m_stylesPart.empty() && m_package.HasPart(m_stylesPart)) {
        StylesHandler styles;
        if (!m_package.ParsePart(m_stylesPart, styles, &error, &encrypted))
            return ReaderStatus::Fail(ReaderError::AutomationError, kDamaged.arg(error));
        m_dateStyles = styles.DateStyles();
    }
    m_sharedStrings = std::move(strings);
    m_sharedLoaded = true;
    return ReaderStatus::Success();
}

ReaderStatus XlsxSource::LoadSheet(int index, std::shared_ptr<SheetCells>* cells) {
    const Sheet& sheet = m_sheets.at(static_cast<std::size_t>(index));
    if (sheet.part.empty())
        return ReaderStatus::Fail(ReaderError::AutomationError,
                                  kDamaged.arg(QStringLiteral("the sheet %1 has no part.").arg(sheet.name)));
    if (ReaderStatus status = LoadShared(); !status)
        return status;
    auto loaded = std::make_shared<SheetCells>(m_sharedStrings, m_date1904, m_limits.maxCells);
    WorksheetHandler handler(loaded.get(), &m_dateStyles);
    QString error;
    if (!m_package.ParsePart(sheet.part, handler, &error))
        return ReaderStatus::Fail(ReaderError::AutomationError, kDamaged.arg(error));
    loaded->Finish();
    *cells = std::move(loaded);
    return ReaderStatus::Success();
}
