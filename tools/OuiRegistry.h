#pragma once

#include <istream>
#include <string>
#include <vector>

namespace qv::tools {

// One MA-L assignment as the IEEE registry text (oui.txt) lists it.
struct OuiAssignment
{
    std::string key; // "00-00-0C"
    std::string company;
    std::vector<std::string> addressLines;
};

// Reads every "(hex)" record of oui.txt, in the file's order.
std::vector<OuiAssignment> ReadOuiRegistry(std::istream& in);

// The vendor document for these assignments: ASCII, CR LF line ends, rows
// sorted by key with a stable sort.
std::string WriteVendorDocument(std::vector<OuiAssignment> rows, const std::string& created,
                                const std::string& comments);

// Attribute text: & ' " < > as references, non-ASCII as numeric references.
std::string EscapeAttribute(const std::string& utf8);

} // namespace qv::tools
