#include "excel_import/XlsxPackage.h"

#include "excel_import/XmlHandler.h"

#include <expat.h>
#include <zip.h>

#include <vector>

namespace {

constexpr int kChunkBytes = 64 * 1024;

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Decodes %XX escapes of a relationship target (an IRI in the package).
std::string PercentDecoded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

XlsxPackage::~XlsxPackage() {
    if (m_zip)
        zip_discard(m_zip);
}

ReaderStatus XlsxPackage::Open(const char* data, std::size_t size) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(data, size, 0, &error);
    if (!source) {
        zip_error_fini(&error);
        return ReaderStatus::Fail(ReaderError::OpenFailed, QStringLiteral("The workbook could not be read."));
    }
    m_zip = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!m_zip) {
        zip_source_free(source);
        const QString why = QString::fromUtf8(zip_error_strerror(&error));
        zip_error_fini(&error);
        return ReaderStatus::Fail(ReaderError::OpenFailed,
                                  QStringLiteral("The workbook's zip package is damaged (%1).").arg(why));
    }
    zip_error_fini(&error);
    return ReaderStatus::Success();
}

bool XlsxPackage::HasPart(std::string_view name) const {
    return m_zip && zip_name_locate(m_zip, std::string(name).c_str(), ZIP_FL_NOCASE) >= 0;
}

bool XlsxPackage::ParsePart(std::string_view name, XmlHandler& handler, QString* error, bool* encrypted) const {
    if (encrypted)
        *encrypted = false;
    const QString partName = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    const zip_int64_t index = m_zip ? zip_name_locate(m_zip, std::string(name).c_str(), ZIP_FL_NOCASE) : -1;
    if (index < 0) {
        *error = QStringLiteral("The part %1 is missing.").arg(partName);
        return false;
    }
    zip_file_t* file = zip_fopen_index(m_zip, static_cast<zip_uint64_t>(index), 0);
    if (!file) {
        const int code = zip_error_code_zip(zip_get_error(m_zip));
        if (encrypted && (code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD || code == ZIP_ER_ENCRNOTSUPP))
            *encrypted = true;
        *error =
            QStringLiteral("The part %1 cannot be read (%2).").arg(partName, QString::fromUtf8(zip_strerror(m_zip)));
        return false;
    }

    XML_Parser parser = XML_ParserCreateNS(nullptr, '|');
    struct Context {
        XmlHandler* handler;
        bool doctype = false;
    } context{&handler};
    XML_SetUserData(parser, &context);
    XML_SetElementHandler(
        parser,
        [](void* data, const XML_Char* element, const XML_Char** attributes) {
            auto* c = static_cast<Context*>(data);
            if (!c->handler->Failed())
                c->handler->StartElement(XmlHandler::LocalName(element), attributes);
        },
        [](void* data, const XML_Char* element) {
            auto* c = static_cast<Context*>(data);
            if (!c->handler->Failed())
                c->handler->EndElement(XmlHandler::LocalName(element));
        });
    XML_SetCharacterDataHandler(parser, [](void* data, const XML_Char* text, int length) {
        auto* c = static_cast<Context*>(data);
        if (!c->handler->Failed())
            c->handler->Characters(std::string_view(text, static_cast<std::size_t>(length)));
    });
    handler.m_parser = parser;
    XML_SetStartDoctypeDeclHandler(parser, [](void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
        auto* c = static_cast<Context*>(data);
        c->doctype = true;
        XML_StopParser(static_cast<XML_Parser>(c->handler->m_parser), XML_FALSE);
    });

    bool ok = true;
    long long total = 0;
    for (;;) {
        void* buffer = XML_GetBuffer(parser, kChunkBytes);
        if (!buffer) {
            *error = QStringLiteral("Out of memory while reading the part %1.").arg(partName);
            ok = false;
            break;
        }
        const zip_int64_t got = zip_fread(file, buffer, kChunkBytes);
        if (got < 0) {
            *error = QStringLiteral("The part %1 is damaged (%2).")
                         .arg(partName, QString::fromUtf8(zip_file_strerror(file)));
            ok = false;
            break;
        }
        total += got;
        if (total > m_maxPartBytes) {
            *error = QStringLiteral("The part %1 inflates to more than %2 bytes.").arg(partName).arg(m_maxPartBytes);
            ok = false;
            break;
        }
        const bool last = got == 0;
        if (XML_ParseBuffer(parser, static_cast<int>(got), last ? XML_TRUE : XML_FALSE) != XML_STATUS_OK) {
            if (context.doctype)
                *error = QStringLiteral("The part %1 declares a document type.").arg(partName);
            else if (handler.Failed())
                *error = handler.Failure();
            else
                *error = QStringLiteral("The part %1 is not well-formed XML (%2, line %3).")
                             .arg(partName, QString::fromLatin1(XML_ErrorString(XML_GetErrorCode(parser))))
                             .arg(XML_GetCurrentLineNumber(parser));
            ok = false;
            break;
        }
        if (last)
            break;
    }
    handler.m_parser = nullptr;
    XML_ParserFree(parser);
    zip_fclose(file);
    return ok;
}

std::string XlsxPackage::ResolveTarget(std::string_view sourcePart, std::string_view target) {
    const std::string decoded = PercentDecoded(target);
    std::string path;
    if (!decoded.empty() && (decoded.front() == '/' || decoded.front() == '\\')) {
        path = decoded.substr(1);
    } else {
        const std::size_t slash = sourcePart.rfind('/');
        path = slash == std::string_view::npos ? std::string() : std::string(sourcePart.substr(0, slash + 1));
        path += decoded;
    }
    std::vector<std::string> segments;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find_first_of("/\\", start);
        if (end == std::string::npos)
            end = path.size();
        const std::string segment = path.substr(start, end - start);
        if (segment == "..") {
            if (!segments.empty())
                segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
        start = end + 1;
    }
    std::string out;
    for (const std::string& s : segments) {
        if (!out.empty())
            out += '/';
        out += s;
    }
    return out;
}

std::string XlsxPackage::RelationshipsPart(std::string_view part) {
    const std::size_t slash = part.rfind('/');
    const std::string_view folder = slash == std::string_view::npos ? std::string_view() : part.substr(0, slash + 1);
    const std::string_view file = slash == std::string_view::npos ? part : part.substr(slash + 1);
    return std::string(folder) + "_rels/" + std::string(file) + ".rels";
}
