#include "vendor/CVendorDatabase.h"

#include "vendor/CComError.h"
#include "vendor/EmbeddedVendorDocument.h"

CVendorDatabase::CVendorDatabase(CXmlDocReader::FailureNotifier notifier) : m_xmlReader(std::move(notifier))
{
}

bool CVendorDatabase::LoadVendorDatabase()
{
    const char* data = qv::EmbeddedVendorDocumentData();
    const std::size_t size = qv::EmbeddedVendorDocumentSize();
    if (data == nullptr || size == 0)
        return false;
    return LoadVendorDocument(data, size);
}

bool CVendorDatabase::LoadVendorDocument(const char* data, std::size_t size)
{
    if (data == nullptr || data[size] != '\0')
        return false;
    std::lock_guard<std::mutex> guard(m_lock);
    m_index.clear();
    // About one row per 128 bytes in the registry's documents: no rehash while indexing.
    m_index.reserve(size / 128 + 16);
    try {
        if (m_xmlReader.LoadFromText(data))
            BuildIndex();
    } catch (const CComError&) {
        // Not fatal: every lookup then answers "not found".
    }
    return true;
}

void CVendorDatabase::BuildIndex()
{
    m_xmlReader.Rewind();
    if (!m_xmlReader.FindElement("Macaddresses"))
        return;
    m_xmlReader.Descend();
    while (m_xmlReader.FindElement(nullptr))
        // emplace keeps the first row of a key, as the walk finds it first.
        m_index.emplace(m_xmlReader.GetAttributeView("addr"), m_xmlReader.GetAttributeView("company"));
    m_xmlReader.Ascend();
}

bool CVendorDatabase::LookupVendor(std::string& vendor, std::string key)
{
    std::lock_guard<std::mutex> guard(m_lock);
    const auto it = m_index.find(key);
    if (it == m_index.end())
        return false;
    vendor.assign(it->second);
    return true;
}

bool CVendorDatabase::LookupVendorByWalk(std::string& vendor, const std::string& key)
{
    std::lock_guard<std::mutex> guard(m_lock);
    try {
        m_xmlReader.Rewind();
        if (!m_xmlReader.FindElement("Macaddresses"))
            return false;
        m_xmlReader.Descend();
        for (;;) {
            if (!m_xmlReader.FindElement(nullptr)) {
                m_xmlReader.Ascend();
                return false;
            }
            if (m_xmlReader.GetAttributeView("addr") == key) {
                vendor = m_xmlReader.GetAttribute("company");
                return true;
            }
        }
    } catch (const CComError&) {
        return false;
    }
}

std::string CVendorDatabase::LastParseError()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_xmlReader.GetLastError();
}
