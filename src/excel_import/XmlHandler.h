#pragma once

#include <QString>

#include <string_view>

// Receives the events of one XML part of a workbook package, parsed with namespaces resolved: element names
// arrive as their local names ("c", "sheet"); attribute names stay as expat gives them ("uri|local" for a
// prefixed attribute, "local" otherwise), so look them up with Attribute().
class XmlHandler {
public:
    virtual ~XmlHandler() = default;

    virtual void StartElement(std::string_view name, const char** attributes) = 0;
    virtual void EndElement(std::string_view name) = 0;
    virtual void Characters(std::string_view text) { (void)text; }

    // The value of the attribute with this local name (any namespace), or nullptr.
    static const char* Attribute(const char** attributes, std::string_view localName);
    // The part of an expanded name after the namespace separator.
    static std::string_view LocalName(const char* expandedName);

    bool Failed() const { return m_failed; }
    const QString& Failure() const { return m_failure; }

protected:
    // Stops the parse; the part is then refused with this reason.
    void Fail(const QString& why);

private:
    friend class XlsxPackage;
    void* m_parser = nullptr; // the XML_Parser while a parse runs
    bool m_failed = false;
    QString m_failure;
};
