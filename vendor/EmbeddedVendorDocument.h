#pragma once

#include <cstddef>

namespace qv {

// The vendor document linked into the executable, followed by one NUL that
// is not counted in the size.
const char* EmbeddedVendorDocumentData();
std::size_t EmbeddedVendorDocumentSize();

} // namespace qv
