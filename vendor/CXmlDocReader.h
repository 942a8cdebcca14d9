#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include <pugixml.hpp>

// A cursor over one XML document: finds elements among the children of a
// context node, steps in and out, and reads attributes of the found element.
// Not thread-safe: one walk at a time (the owner serialises).
class CXmlDocReader
{
public:
    using FailureNotifier = std::function<void(const std::string& message)>;

    // notifier is told when the document cannot be created; by default the
    // text goes to stderr.
    explicit CXmlDocReader(FailureNotifier notifier = {});
    virtual ~CXmlDocReader();

    CXmlDocReader(const CXmlDocReader&) = delete;
    CXmlDocReader& operator=(const CXmlDocReader&) = delete;

    // True when the document now holds the text (or a fresh empty document
    // for null or empty text); false on a parse error, the reason then in
    // GetLastError() and the document empty. Throws CComError(E_POINTER)
    // when there is no document.
    bool LoadFromText(const char* text);

    // Cursor back to the document node.
    void Rewind();

    // Next element child of the context after the position whose tag equals
    // name (any element for null or empty). False leaves the cursor as it was.
    bool FindElement(const char* name);

    // Enter the found element; false when nothing was found.
    bool Descend();

    // Back to the parent of the context; false at the document node.
    bool Ascend();

    // Attribute of the found element, empty when missing.
    // Throws CComError(E_POINTER) when no element was found.
    std::string GetAttribute(const char* name);

    // The same text without a copy; valid until the document changes.
    std::string_view GetAttributeView(const char* name);

    // Status of making a new empty document: negative (high bit) on failure.
    std::int32_t CreateDocument();

    const std::string& GetLastError() const { return m_strError; }

private:
    std::unique_ptr<pugi::xml_document> m_pDocument;
    pugi::xml_node m_pContext;
    pugi::xml_node m_pPosition;
    pugi::xml_node m_pSaved;
    std::string m_strError;
    FailureNotifier m_notifier;

    pugi::xml_node DocumentNode() const;
};
