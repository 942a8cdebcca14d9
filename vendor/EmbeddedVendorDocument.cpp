#include "vendor/EmbeddedVendorDocument.h"

extern "C" {
extern const char qv_vendor_document_begin[];
extern const char qv_vendor_document_end[];
}

namespace qv {

const char* EmbeddedVendorDocumentData()
{
    return qv_vendor_document_begin;
}

std::size_t EmbeddedVendorDocumentSize()
{
    return static_cast<std::size_t>(qv_vendor_document_end - qv_vendor_document_begin);
}

} // namespace qv
