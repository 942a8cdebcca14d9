#pragma once

#include "vendor/CXmlDocReader.h"

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

// The OUI registry document carried inside the program and its lookup.
// Lookups may come from several threads; they are serialised here.
class CVendorDatabase
{
public:
    explicit CVendorDatabase(CXmlDocReader::FailureNotifier notifier = {});

    // Hands the built-in document to the reader. True when the document's
    // bytes were found and handed over, whether or not they parsed.
    bool LoadVendorDatabase();

    // Same contract for a document held elsewhere (tests, tools). data must
    // be NUL-terminated at data[size]; nothing past it is read.
    bool LoadVendorDocument(const char* data, std::size_t size);

    // True with vendor set to the company of the first row whose addr equals
    // key exactly; false with vendor untouched (also on any reader error).
    // Answers from the index built when the document was loaded.
    bool LookupVendor(std::string& vendor, std::string key);

    // The same answer found by walking the document row by row: the
    // reference the index is checked against.
    bool LookupVendorByWalk(std::string& vendor, const std::string& key);

    // Reason of the last failed parse, empty when none failed.
    std::string LastParseError();

private:
    void BuildIndex();

    std::mutex m_lock;
    CXmlDocReader m_xmlReader;
    // addr -> company of its first row; both views point into the document,
    // which stays loaded for the walk.
    std::unordered_map<std::string_view, std::string_view> m_index;
};
