#include "vendor/CVendorDatabase.h"

#include "vendor/CComError.h"
#include "vendor/CXmlDocReader.h"
#include "vendor/OuiKey.h"

namespace vt = qv::vendor_table;

bool CVendorDatabase::LoadVendorDocument(const char* data, std::size_t size)
{
    if (data == nullptr || data[size] != '\0')
        return false;
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_xmlReader)
        m_xmlReader = std::make_shared<CXmlDocReader>(m_notifier);
    std::array<Rows, vt::RegistryCount> rows;
    m_created = 0;
    try {
        if (m_xmlReader->LoadFromText(data)) {
            m_xmlReader->Rewind();
            if (m_xmlReader->FindElement("Macaddresses")) {
                m_created = ParseCreated(m_xmlReader->GetAttributeView("created"));
                m_xmlReader->Descend();
                while (m_xmlReader->FindElement(nullptr)) {
                    const auto block = qv::ParseBlockKey(m_xmlReader->GetAttributeView("addr"));
                    if (!block)
                        continue; // no key can ever equal it
                    rows[RegistryOfBits(block->bits, m_xmlReader->GetAttributeView("registry"))].emplace_back(
                        block->prefix, m_xmlReader->GetAttributeView("company"));
                }
                m_xmlReader->Ascend();
            }
        }
    } catch (const CComError&) {
        // Not fatal: every lookup then answers "not found".
    }
    for (int r = 0; r < vt::RegistryCount; ++r)
        Fill(m_registries[r], std::move(rows[r]));
    m_fromFolder = false;
    m_updateProblems.clear();
    return true;
}

bool CVendorDatabase::LookupVendorByWalk(std::string& vendor, const std::string& key)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_xmlReader)
        return false;
    try {
        m_xmlReader->Rewind();
        if (!m_xmlReader->FindElement("Macaddresses"))
            return false;
        m_xmlReader->Descend();
        for (;;) {
            if (!m_xmlReader->FindElement(nullptr)) {
                m_xmlReader->Ascend();
                return false;
            }
            if (m_xmlReader->GetAttributeView("addr") == key) {
                vendor = m_xmlReader->GetAttribute("company");
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
    return m_xmlReader ? m_xmlReader->GetLastError() : std::string();
}
