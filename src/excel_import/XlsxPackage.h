#pragma once

#include "excel_import/ReaderStatus.h"

#include <QString>

#include <cstddef>
#include <string>
#include <string_view>

class XmlHandler;
struct zip;

// The zip package of an .xlsx workbook, opened over bytes the caller keeps alive, with streaming XML parsing
// of its parts. Part names are package paths without the leading "/" ("xl/workbook.xml"), looked up without
// regard to case as the package format requires.
class XlsxPackage {
public:
    // maxPartBytes: uncompressed bytes parsed from one part at most (see ReaderLimits).
    explicit XlsxPackage(long long maxPartBytes) : m_maxPartBytes(maxPartBytes) {}
    ~XlsxPackage();
    XlsxPackage(const XlsxPackage&) = delete;
    XlsxPackage& operator=(const XlsxPackage&) = delete;

    // OpenFailed when the bytes are not a readable zip archive.
    ReaderStatus Open(const char* data, std::size_t size);
    bool HasPart(std::string_view name) const;
    // Streams the part through the handler. False with a reason when the part is missing, damaged,
    // encrypted, larger than maxPartBytes, not well-formed XML, carries a document type declaration
    // (never part of a workbook; refused so that no entity can be expanded), or the handler failed.
    // *encrypted is set when the zip entry itself needs a password.
    bool ParsePart(std::string_view name, XmlHandler& handler, QString* error, bool* encrypted = nullptr) const;

    // The part a relationship target points to: an absolute target ("/xl/worksheets/sheet1.xml") from the
    // package root, a relative one ("worksheets/sheet1.xml") from the folder of the source part
    // ("xl/workbook.xml"); "." and ".." segments and %-escapes resolved.
    static std::string ResolveTarget(std::string_view sourcePart, std::string_view target);
    // The relationships part of a part: "xl/workbook.xml" -> "xl/_rels/workbook.xml.rels"; "" -> "_rels/.rels".
    static std::string RelationshipsPart(std::string_view part);

private:
    zip* m_zip = nullptr;
    long long m_maxPartBytes;
};
