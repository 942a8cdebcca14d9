/* The vendor document's bytes, placed in read-only data at build time. */
    .section .rodata.qv_vendor_document, "a"
    .global qv_vendor_document_begin
    .global qv_vendor_document_end
    .type qv_vendor_document_begin, @object
qv_vendor_document_begin:
    .incbin VENDOR_DOCUMENT_PATH
qv_vendor_document_end:
    .byte 0
    .section .note.GNU-stack, "", @progbits
