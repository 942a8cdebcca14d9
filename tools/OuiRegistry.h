#pragma once

#include "vendor/RegistryCsv.h"

#include <string>
#include <vector>

namespace qv::tools {

// The vendor document for these assignments: ASCII, CR LF line ends;
// MA-L, then MA-M, MA-S and IAB, each sorted by assignment with a stable
// sort; "Private" rows left out. MA-L rows are <mac addr="00-00-0C"
// company=... street=.../>; the longer blocks carry their registry:
// <mac addr="74-1A-E0-9" registry="MA-M" company=... street=.../>.
std::string WriteVendorDocument(std::vector<RegistryRow> rows, const std::string& created,
                                const std::string& comments);

// Attribute text: & ' " < > as references, non-ASCII as numeric references.
std::string EscapeAttribute(const std::string& utf8);

} // namespace qv::tools
