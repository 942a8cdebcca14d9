#include "tests/TestSupport.h"
#include "tools/OuiRegistry.h"
#include "vendor/CVendorDatabase.h"
#include "vendor/EmbeddedVendorDocument.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

namespace {

const char kRegistry[] = "/usr/share/ieee-data/oui.txt";

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
    const std::regex row("<mac addr=\"[0-9A-F]{2}-[0-9A-F]{2}-[0-9A-F]{2}\" company=\"[^\"<>]*\""
                         "( street=\"[^\"<>]*\"( country=\"[^\"<>]*\")?)?/>");
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
            const std::string key = line.substr(11, 8);
            ASSERT_LE(previous, key) << "rows out of order at line " << lineNo;
            previous = key;
            ++rows;
        }
        start = end + 2;
    }
    EXPECT_EQ(rows, 32530u);
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

TEST(ShippedDocument, IndexAgreesWithTheWalkForEveryKeyAndForAbsentOnes)
{
    CVendorDatabase db;
    ASSERT_TRUE(db.LoadVendorDatabase());
    const std::string text = Shipped();
    std::vector<std::string> keys;
    for (std::size_t at = text.find("<mac addr=\""); at != std::string::npos;
         at = text.find("<mac addr=\"", at + 1))
        keys.push_back(text.substr(at + 11, 8));
    ASSERT_EQ(keys.size(), 32530u);
    const std::set<std::string> present(keys.begin(), keys.end());
    // Absent keys spread over the whole space, and other spellings of present ones.
    char key[9];
    for (std::uint32_t oui = 0, absent = 0; absent < 10000; oui += 1677) {
        std::snprintf(key, sizeof key, "%02X-%02X-%02X", (oui >> 16) & 0xFF, (oui >> 8) & 0xFF, oui & 0xFF);
        if (!present.count(key)) {
            keys.push_back(key);
            ++absent;
        }
    }
    keys.insert(keys.end(), {"00-00-0c", "00:00:0C", "00-00-0C ", "", "Cisco Systems, Inc"});
    for (const std::string& k : keys) {
        std::string byIndex = "untouched", byWalk = "untouched";
        const bool foundByIndex = db.LookupVendor(byIndex, k);
        ASSERT_EQ(foundByIndex, db.LookupVendorByWalk(byWalk, k)) << k;
        ASSERT_EQ(byIndex, byWalk) << k;
    }
}

TEST(ShippedDocument, MatchesTheInstalledRegistry)
{
    std::ifstream in(kRegistry, std::ios::binary);
    if (!in)
        GTEST_SKIP() << kRegistry << " is missing (Debian package ieee-data)";
    const auto registry = qv::tools::ReadOuiRegistry(in);
    ASSERT_EQ(registry.size(), 32530u);
    CVendorDatabase db;
    ASSERT_TRUE(db.LoadVendorDatabase());
    // Every 97th assignment, plus the repeated keys' first entries, as the registry names them.
    std::map<std::string, std::string> firstByKey;
    for (const auto& row : registry)
        firstByKey.emplace(row.key, row.company);
    std::size_t checked = 0;
    for (std::size_t i = 0; i < registry.size(); i += 97, ++checked) {
        std::string vendor;
        ASSERT_TRUE(db.LookupVendor(vendor, registry[i].key)) << registry[i].key;
        EXPECT_EQ(vendor, firstByKey[registry[i].key]) << registry[i].key;
    }
    EXPECT_GT(checked, 300u);
    // The generator run again gives exactly the committed bytes.
    const std::string regenerated = qv::tools::WriteVendorDocument(
        registry, "08/27/2022 00:00:00",
        "IEEE MA-L registry (oui.txt, Debian ieee-data 20220827.1), snapshot 2022-08-27, 32530 assignments");
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

TEST(RegistryText, RecordsKeepTheirOrderAndAddressLines)
{
    std::istringstream in(
        "OUI/MA-L\t\tOrganization\r\n\r\n"
        "AA-BB-CC   (hex)\t\tSecond Co  \r\nAABBCC     (base 16)\t\tSecond Co\r\n"
        "\t\t\t\tStreet 1\r\n\t\t\t\tTown  ST  1\r\n\t\t\t\tUS\r\n\r\n"
        "00-00-01   (hex)\t\tPrivate\r\n000001     (base 16)\t\tPrivate\r\n\r\n"
        "AA-BB-CC   (hex)\t\tFirst Co\r\nAABBCC     (base 16)\t\tFirst Co\r\n\t\t\t\tOnly street\r\n");
    const auto rows = qv::tools::ReadOuiRegistry(in);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].company, "Second Co");
    EXPECT_EQ(rows[0].addressLines, (std::vector<std::string>{"Street 1", "Town  ST  1", "US"}));
    const std::string doc = qv::tools::WriteVendorDocument(rows, "01/02/2003 04:05:06", "c");
    EXPECT_NE(doc.find("<mac addr=\"00-00-01\" company=\"Private\"/>\r\n"
                       "<mac addr=\"AA-BB-CC\" company=\"Second Co\" street=\"Street 1\" country=\"Town  ST  "
                       "1 US\"/>\r\n"
                       "<mac addr=\"AA-BB-CC\" company=\"First Co\" street=\"Only street\"/>\r\n"),
              std::string::npos)
        << doc;
}

} // namespace
