#include "excel_import/XmlHandler.h"

#include <expat.h>

#include <cstring>

const char* XmlHandler::Attribute(const char** attributes, std::string_view localName) {
    for (const char** a = attributes; a && a[0]; a += 2) {
        if (LocalName(a[0]) == localName)
            return a[1];
    }
    return nullptr;
}

std::string_view XmlHandler::LocalName(const char* expandedName) {
    const char* separator = std::strrchr(expandedName, '|');
    return separator ? std::string_view(separator + 1) : std::string_view(expandedName);
}

void XmlHandler::Fail(const QString& why) {
    if (m_failed)
        return;
    m_failed = true;
    m_failure = why;
    if (m_parser)
        XML_StopParser(static_cast<XML_Parser>(m_parser), XML_FALSE);
}
