#include "tests/TestSupport.h"
#include "arp/ArpRowFormatter.h"
#include "tools/OuiRegistry.h"
#include "vendor/CVendorDatabase.h"
#include "vendor/CXmlDocReader.h"
#include "vendor/EmbeddedVendorDocument.h"
#include "vendor/OuiKey.h"
#include "vendor/RegistryCsv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

namespace {

std::string Shipped()
{
    return std::string(qv::EmbeddedVendorDocumentData(), qv::EmbeddedVendorDocumentSize());
}

TEST(ShippedDocument, IsTheCommittedFileByteForByteAndNulTerminated)
{
    EXPECT_EQ(Shipped(), qv::test::ReadFile(QV_SOURCE_DIR "/res/vendor_db.xml"));
    EXPECT_EQ(qv::EmbeddedVendorDocumentData()[qv::EmbeddedVendorDocumentSize()], '\0');
}

TEST(ShippedDocument, EveryLineHasTheDocumentFormat)
{
    const std::string text = Shipped();
    for (unsigned char c : text)
        ASSERT_LT(c, 0x80) << "non-ASCII byte";
    ASSERT_GE(text.size(), 2u);
    ASSERT_EQ(text.substr(text.size() - 2), "\r\n");

    const std::regex value("\"[^\"<>]*\"");
    const std::regex row("<mac addr=\"([0-9A-F]{2}-[0-9A-F]{2}-[0-9A-F]{2}|"
                         "[0-9A-F]{2}-[0-9A-F]{2}-[0-9A-F]{2}-[0-9A-F]\" registry=\"MA-M|"
                         "[0-9A-F]{2}-[0-9A-F]{2}-[0-9A-F]{2}-[0-9A-F]{2}-[0-9A-F]\" registry=\"(MA-S|IAB))\""
                         " company=\"[^\"<>]+\"( street=\"[^\"<>]*\")?/>");
    const std::regex root("<Macaddresses version=\"[^\"]*\" vendor=\"[^\"]*\" url=\"[^\"]*\" mail=\"[^\"]*\" "
                          "created=\"\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d\" comments=\"[^\"]*\">");
    std::size_t start = 0;
    std::size_t lineNo = 0;
    std::size_t rows = 0;
    std::string previous;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        const std::string line = text.substr(start, end - start);
        ASSERT_EQ(line.find('\n'), std::string::npos);
        ASSERT_EQ(line.find('\r'), std::string::npos);
        ++lineNo;
        if (lineNo == 1) {
            EXPECT_EQ(line, "<?xml version=\"1.0\"?>");
        } else if (lineNo == 2) {
            EXPECT_TRUE(std::regex_match(line, root)) << line;
        } else if (end + 2 == text.size()) {
            EXPECT_EQ(line, "</Macaddresses>");
        } else {
            ASSERT_TRUE(std::regex_match(line, row)) << "line " << lineNo << ": " << line;
            // In order within each registry.
            const std::string key = line.substr(0, line.find(" company="));
            if (key.size() == previous.size()) {
                ASSERT_LE(previous, key) << "rows out of order at line " << lineNo;
            }
            previous = key;
            ++rows;
        }
        start = end + 2;
    }
    EXPECT_EQ(rows, 46323u);
}

TEST(ShippedDocument, XmllintFindsItWellFormed)
{
    if (std::system("command -v xmllint >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "xmllint (libxml2-utils) is not installed";
    EXPECT_EQ(std::system("xmllint --noout " QV_SOURCE_DIR "/res/vendor_db.xml"), 0);
}

TEST(ShippedDocument, NamesComeBackAsTheRegistryWritesThem)
{
    CVendorDatabase db;
    ASSERT_TRUE(db.LoadVendorDatabase());
    ASSERT_EQ(db.LastParseError(), "");
    const std::pair<const char*, const char*> expected[] = {
        {"00-00-0C", "Cisco Systems, Inc"},
        {"00-00-00", "XEROX CORPORATION"},
        {"08-00-30", "NETWORK RESEARCH CORPORATION"},
        {"00-01-C8", "THOMAS CONRAD CORP."},
        {"00-00-5A", "SysKonnect GmbH"},
    };
    for (const auto& [key, company] : expected) {
        std::string vendor;
        ASSERT_TRUE(db.LookupVendor(vendor, key)) << key;
        EXPECT_EQ(vendor, company) << key;
    }
    std::string vendor = "kept";
    EXPECT_FALSE(db.LookupVendor(vendor, "FF-FF-FF"));
    EXPECT_FALSE(db.LookupVendor(vendor, "01-00-5E"));
    EXPECT_EQ(vendor, "kept");
}

// The reference: one walk over the document, the first row of a key winning.
std::map<std::string, std::string> WalkDocument(const std::string& text)
{
    std::map<std::string, std::string> first;
    CXmlDocReader reader;
    EXPECT_TRUE(reader.LoadFromText(text.c_str()));
    reader.Rewind();
    EXPECT_TRUE(reader.FindElement("Macaddresses"));
    reader.Descend();
    while (reader.FindElement(nullptr))
        first.emplace(reader.GetAttribute("addr"), reader.GetAttribute("company"));
    return first;
}

TEST(ShippedDocument, TheCompiledTableAgreesWithTheWalkForEveryKeyAndForAbsentOnes)
{
    CVendorDatabase compiled({}, "");
    ASSERT_TRUE(compiled.LoadVendorDatabase());
    CVendorDatabase walked({}, "");
    const std::string text = Shipped();
    ASSERT_TRUE(walked.LoadVendorDocument(text.c_str(), text.size()));
    const auto reference = WalkDocument(text);
    ASSERT_EQ(reference.size(), 46320u);
    std::size_t i = 0;
    for (const auto& [key, company] : reference) {
        std::string vendor;
        ASSERT_TRUE(compiled.LookupVendor(vendor, key)) << key;
        ASSERT_EQ(vendor, company) << key;
        // Every 50th through the row-by-row lookup itself.
        if (i++ % 50 == 0) {
            std::string byWalk;
            ASSERT_TRUE(walked.LookupVendorByWalk(byWalk, key)) << key;
            ASSERT_EQ(byWalk, company) << key;
        }
    }
    // Absent keys over the whole space, and other spellings of present ones.
    std::vector<std::string> absent = {"00-00-0c",           "00:00:0C",    "00-00-0C ",  "",
                                       "Cisco Systems, Inc", "00-55-DA-0 ", "00-55-da-0", "00-55-DA-00"};
    char key[16];
    for (std::uint32_t oui = 0; absent.size() < 5000; oui += 1677) {
        std::snprintf(key, sizeof key, "%02X-%02X-%02X", (oui >> 16) & 0xFF, (oui >> 8) & 0xFF, oui & 0xFF);
        if (!reference.count(key))
            absent.push_back(key);
    }
    for (const std::string& k : absent) {
        std::string vendor = "untouched";
        ASSERT_FALSE(compiled.LookupVendor(vendor, k)) << k;
        ASSERT_EQ(vendor, "untouched");
        if (&k - absent.data() < 200) {
            ASSERT_FALSE(walked.LookupVendorByWalk(vendor, k)) << k;
        }
    }
}

// A random MAC inside each of 150 blocks per registry is named after that
// block, not after the Registration Authority's MA-L block around it.
TEST(ShippedDocument, EveryRegistrysBlocksNameTheirOwners)
{
    CVendorDatabase db({}, "");
    ASSERT_TRUE(db.LoadVendorDatabase());
    std::mt19937 random(20221);
    for (const auto& [registry, file] : qv::kRegistryFiles) {
        std::vector<qv::RegistryRow> rows;
        std::string error;
        if (!qv::ReadRegistryFile(std::string("/usr/share/ieee-data/") + file, registry, rows, error))
            GTEST_SKIP() << file << ": " << error << " (Debian package ieee-data)";
        std::map<std::string, std::string> first;
        // The Registration Authority's own MA-L blocks hold the longer ones.
        for (const auto& row : rows)
            if (row.company != "Private" && row.company != "IEEE Registration Authority")
                first.emplace(row.assignment, row.company);
        std::vector<std::pair<std::string, std::string>> blocks(first.begin(), first.end());
        std::shuffle(blocks.begin(), blocks.end(), random);
        for (std::size_t i = 0; i < 150 && i < blocks.size(); ++i) {
            const auto& [assignment, company] = blocks[i];
            const int bits = static_cast<int>(assignment.size()) * 4;
            const std::uint64_t mac = (std::stoull(assignment, nullptr, 16) << (48 - bits)) |
                                      (random() & ((std::uint64_t{1} << (48 - bits)) - 1));
            std::uint8_t bytes[6];
            for (int b = 0; b < 6; ++b)
                bytes[b] = static_cast<std::uint8_t>(mac >> (40 - 8 * b));
            EXPECT_EQ(qv::VendorText(bytes, db), company) << registry << " " << qv::MakeMacText(bytes);
        }
    }
}

TEST(ShippedDocument, AddressesNoRegistryNamesAreToldApart)
{
    CVendorDatabase db({}, "");
    ASSERT_TRUE(db.LoadVendorDatabase());
    const std::pair<std::vector<std::uint8_t>, const char*> cases[] = {
        {{0x00, 0x00, 0x0C, 0x12, 0x34, 0x56}, "Cisco Systems, Inc"},  // MA-L
        {{0x00, 0x55, 0xDA, 0x1F, 0xFF, 0xFF}, "KoolPOS Inc."},        // MA-M
        {{0x00, 0x50, 0xC2, 0x00, 0x1A, 0xBC}, "JMBS Developpements"}, // IAB
        {{0x2C, 0xCF, 0x67, 0x01, 0x02, 0x03}, "N/A"},                 // after this snapshot
        {{0x52, 0x54, 0x00, 0x12, 0x34, 0x56}, "QEMU/KVM virtual NIC"},
        {{0x00, 0x00, 0x5E, 0x00, 0x01, 0x0A}, "VRRP virtual router (VRID 10)"},
        {{0x00, 0x00, 0x5E, 0x00, 0x02, 0xFF}, "VRRP IPv6 virtual router (VRID 255)"},
        {{0x00, 0x00, 0x0C, 0x07, 0xAC, 0x01}, "HSRP virtual router (group 1)"},
        {{0x02, 0x42, 0xAC, 0x11, 0x00, 0x02}, "Docker container"},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, "Broadcast"},
        {{0x01, 0x00, 0x5E, 0x00, 0x00, 0xFB}, "Multicast"},
        {{0x33, 0x33, 0x00, 0x00, 0x00, 0x01}, "Multicast"},
        {{0xDA, 0xA1, 0x19, 0x12, 0x34, 0x56}, "Locally administered"}, // a phone's private address
        {{0x02, 0x00, 0x00, 0x00, 0x00, 0x52}, "Locally administered"},
        {{0xAA, 0x00, 0x04, 0x00, 0x01, 0x02},
         "DIGITAL EQUIPMENT CORPORATION"}, // registered, local bit or not
        {{0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, "N/A"},
    };
    for (const auto& [mac, text] : cases)
        EXPECT_EQ(qv::VendorText(mac.data(), db), text) << qv::MakeMacText(mac.data());
}

TEST(ShippedDocument, IsWhatTheGeneratorWritesFromTheInstalledRegistries)
{
    std::vector<qv::RegistryRow> all;
    for (const auto& [registry, file] : qv::kRegistryFiles) {
        std::vector<qv::RegistryRow> rows;
        std::string error;
        if (!qv::ReadRegistryFile(std::string("/usr/share/ieee-data/") + file, registry, rows, error))
            GTEST_SKIP() << file << ": " << error << " (Debian package ieee-data)";
        all.insert(all.end(), rows.begin(), rows.end());
    }
    const std::string regenerated = qv::tools::WriteVendorDocument(
        all, "08/27/2022 20:08:57",
        "IEEE MA-L, MA-M, MA-S and IAB registries (Debian ieee-data), downloaded 2022-08-27");
    EXPECT_TRUE(regenerated == Shipped());
}

TEST(RegistryText, NonAsciiBecomesNumericReferencesAndComesBackAsUtf8)
{
    EXPECT_EQ(qv::tools::EscapeAttribute("Stra\xC3\x9F"
                                         "e & 'x' \"y\" <z>"),
              "Stra&#223;e &amp; &apos;x&apos; &quot;y&quot; &lt;z&gt;");
    const std::string doc = "<Macaddresses><mac addr=\"00-00-5A\" company=\"" +
                            qv::tools::EscapeAttribute("K\xC3\xB6ln \xE2\x82\xAC") + "\"/></Macaddresses>";
    CVendorDatabase db;
    ASSERT_TRUE(db.LoadVendorDocument(doc.c_str(), doc.size()));
    std::string vendor;
    ASSERT_TRUE(db.LookupVendor(vendor, "00-00-5A"));
    EXPECT_EQ(vendor, "K\xC3\xB6ln \xE2\x82\xAC");
}

// As ieee-data writes them: a BOM, CR LF, quoted fields with commas, quotes and line breaks.
TEST(RegistryText, CsvRecordsKeepTheirOrderAndQuotedFields)
{
    const std::string csv = "\xEF\xBB\xBFRegistry,Assignment,Organization Name,Organization Address\r\n"
                            "MA-M,AABBCC2,\"Second, Co\",\"Street \"\"1\"\"\r\nTown  US \"\r\n"
                            "MA-M,0000011,Private,\r\n"
                            "MA-M,AABBCC2,First Co,Only street\r\n";
    std::vector<qv::RegistryRow> rows;
    std::string error;
    ASSERT_TRUE(qv::ReadRegistryCsv(csv, rows, error)) << error;
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].company, "Second, Co");
    EXPECT_EQ(rows[0].address, "Street \"1\"\r\nTown  US");
    const std::string doc = qv::tools::WriteVendorDocument(rows, "01/02/2003 04:05:06", "c");
    EXPECT_NE(
        doc.find(
            "<mac addr=\"AA-BB-CC-2\" registry=\"MA-M\" company=\"Second, Co\" street=\"Street "
            "&quot;1&quot;&#13;&#10;Town  US\"/>\r\n"
            "<mac addr=\"AA-BB-CC-2\" registry=\"MA-M\" company=\"First Co\" street=\"Only street\"/>\r\n"
            "</Macaddresses>"),
        std::string::npos)
        << doc;
    for (const char* broken :
         {"Registry,Assignment,Organization Name,Organization Address\nMA-M,AABBCC2,\"open",
          "Registry,Assignment,Organization Name,Organization Address\nMA-M,AABBCC,short,x",
          "Registry,Assignment,Organization Name,Organization Address\nMA-M,AABBCC2,a\n",
          "Assignment,Registry\nMA-M,AABBCC2,a,b", ""})
        EXPECT_FALSE(qv::ReadRegistryCsv(broken, rows, error)) << broken;
}

} // namespace
