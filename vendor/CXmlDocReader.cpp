#include "vendor/CXmlDocReader.h"

#include "vendor/CComError.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {

// pugixml keeps top-level text and a second root without complaint; a
// well-formed document has exactly one element and no text beside it.
const char* TopLevelFault(const pugi::xml_document& doc)
{
    int elements = 0;
    for (pugi::xml_node child = doc.first_child(); child; child = child.next_sibling()) {
        switch (child.type()) {
        case pugi::node_element:
            if (++elements > 1)
                return "Only one top level element is allowed";
            break;
        case pugi::node_pcdata:
        case pugi::node_cdata:
            return elements == 0 ? "Text is not allowed before the document element"
                                 : "Text is not allowed after the document element";
        default:
            break;
        }
    }
    return elements == 0 ? "No document element" : nullptr;
}

} // namespace

CXmlDocReader::CXmlDocReader(FailureNotifier notifier) : m_notifier(std::move(notifier))
{
    CreateDocument();
}

CXmlDocReader::~CXmlDocReader()
{
    m_pSaved = {};
    m_pPosition = {};
    m_pContext = {};
    m_pDocument.reset();
}

pugi::xml_node CXmlDocReader::DocumentNode() const
{
    return m_pDocument ? pugi::xml_node(*m_pDocument) : pugi::xml_node();
}

std::int32_t CXmlDocReader::CreateDocument()
{
    m_pContext = {};
    m_pDocument.reset();
    std::uint32_t status = S_OK_STATUS;
    try {
        m_pDocument = std::make_unique<pugi::xml_document>();
    } catch (const std::bad_alloc&) {
        status = E_OUTOFMEMORY_STATUS;
    }
    if (status != S_OK_STATUS) {
        const std::string message = "Unable to create XML document instance";
        if (m_notifier)
            m_notifier(message);
        else
            std::fprintf(stderr, "quorvane: %s\n", message.c_str());
    }
    m_pContext = DocumentNode();
    return static_cast<std::int32_t>(status);
}

void CXmlDocReader::Rewind()
{
    m_pSaved = {};
    m_pPosition = {};
    m_pContext = DocumentNode();
}

bool CXmlDocReader::LoadFromText(const char* text)
{
    Rewind();
    if (text == nullptr || text[0] == '\0')
        return CreateDocument() >= 0;
    if (!m_pDocument)
        throw CComError(E_POINTER_STATUS);

    pugi::xml_parse_result result;
    try {
        // parse_fragment keeps top-level text so it can be rejected below.
        result = m_pDocument->load_string(text, pugi::parse_default | pugi::parse_fragment);
    } catch (const std::bad_alloc&) {
        m_pDocument->reset();
        throw CComError(E_OUTOFMEMORY_STATUS);
    }
    if (result.status == pugi::status_out_of_memory) {
        m_pDocument->reset();
        throw CComError(E_OUTOFMEMORY_STATUS);
    }

    std::string reason;
    if (!result) {
        reason = std::string(result.description()) + " at offset " + std::to_string(result.offset);
    } else if (const char* fault = TopLevelFault(*m_pDocument)) {
        reason = fault;
    }
    if (reason.empty())
        return true;

    // pugixml keeps what it parsed before the error; the contract is an empty document.
    m_pDocument->reset();
    m_pContext = DocumentNode();
    while (!reason.empty() && (reason.back() == '\r' || reason.back() == '\n'))
        reason.pop_back();
    m_strError = reason;
    return false;
}

bool CXmlDocReader::FindElement(const char* name)
{
    pugi::xml_node candidate;
    if (m_pPosition) {
        candidate = m_pPosition.next_sibling();
    } else {
        if (!m_pContext)
            throw CComError(E_POINTER_STATUS);
        candidate = m_pContext.first_child();
    }
    const bool anyName = name == nullptr || name[0] == '\0';
    for (; candidate; candidate = candidate.next_sibling()) {
        if (candidate.type() != pugi::node_element)
            continue;
        if (anyName || std::strcmp(candidate.name(), name) == 0) {
            m_pPosition = candidate;
            m_pContext = candidate.parent();
            m_pSaved = {};
            return true;
        }
    }
    return false;
}

bool CXmlDocReader::Descend()
{
    if (!m_pPosition)
        return false;
    m_pContext = m_pPosition;
    m_pPosition = m_pSaved;
    m_pSaved = {};
    return true;
}

bool CXmlDocReader::Ascend()
{
    if (!m_pContext)
        throw CComError(E_POINTER_STATUS);
    pugi::xml_node parent = m_pContext.parent();
    if (!parent)
        return false;
    m_pSaved = m_pPosition;
    m_pPosition = m_pContext;
    m_pContext = parent;
    return true;
}

std::string CXmlDocReader::GetAttribute(const char* name)
{
    return std::string(GetAttributeView(name));
}

std::string_view CXmlDocReader::GetAttributeView(const char* name)
{
    // The position only ever holds an element (or nothing).
    if (!m_pPosition)
        throw CComError(E_POINTER_STATUS);
    return m_pPosition.attribute(name ? name : "").value();
}
