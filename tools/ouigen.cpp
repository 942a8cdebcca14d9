// Writes the vendor document from the IEEE MA-L registry text.
// Usage: quorvane-ouigen OUI_TXT OUTPUT.xml
#include "tools/OuiRegistry.h"

#include <cstdio>
#include <fstream>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OUI_TXT OUTPUT.xml\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    const auto rows = qv::tools::ReadOuiRegistry(in);
    const std::string document = qv::tools::WriteVendorDocument(
        rows, "08/27/2022 00:00:00",
        "IEEE MA-L registry (oui.txt, Debian ieee-data 20220827.1), snapshot 2022-08-27, " +
            std::to_string(rows.size()) + " assignments");
    std::ofstream out(argv[2], std::ios::binary);
    out << document;
    if (!out.flush()) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    std::printf("%zu rows\n", rows.size());
    return 0;
}
