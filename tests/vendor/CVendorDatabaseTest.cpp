#include "tests/TestSupport.h"
#include "vendor/CVendorDatabase.h"

#include <gtest/gtest.h>

#include <fstream>
#include <thread>
#include <vector>

namespace {

struct SmallDatabase : ::testing::Test
{
    std::string text = qv::test::ReadFile(qv::test::DataDir() + "/vendors_small.xml");
    CVendorDatabase db;
    void SetUp() override
    {
        ASSERT_FALSE(text.empty());
        ASSERT_TRUE(db.LoadVendorDocument(text.c_str(), text.size()));
        ASSERT_EQ(db.LastParseError(), "");
    }
    std::string Lookup(const std::string& key)
    {
        std::string vendor = "untouched";
        return db.LookupVendor(vendor, key) ? vendor : "false:" + vendor;
    }
};

TEST_F(SmallDatabase, FindsTheFirstMatchingRowInDocumentOrder)
{
    EXPECT_EQ(Lookup("00-00-00"), "XEROX CORPORATION");
    EXPECT_EQ(Lookup("00-00-0C"), "CISCO SYSTEMS, INC.");
    EXPECT_EQ(Lookup("00-01-C8"), "THOMAS CONRAD CORP.");
    EXPECT_EQ(Lookup("08-00-30"), "NETWORK RESEARCH CORPORATION");
    EXPECT_EQ(Lookup("00-00-21"), "SUREMAN COMP. & COMMUN. CORP.");
    EXPECT_EQ(Lookup("AA-00-04"), "DIGITAL EQUIPMENT CORPORATION");
}

TEST_F(SmallDatabase, OtherFormsOfAKeyAndAbsentKeysLeaveTheVendorUntouched)
{
    EXPECT_EQ(Lookup("00-00-0c"), "false:untouched");
    EXPECT_EQ(Lookup("00:00:0C"), "false:untouched");
    EXPECT_EQ(Lookup("FF-FF-FF"), "false:untouched");
    EXPECT_EQ(Lookup("STRAY"), "false:untouched");
}

TEST_F(SmallDatabase, EachLookupStartsFromTheTop)
{
    EXPECT_EQ(Lookup("AA-00-04"), "DIGITAL EQUIPMENT CORPORATION");
    EXPECT_EQ(Lookup("00-00-00"), "XEROX CORPORATION");
    EXPECT_EQ(Lookup("FF-FF-FF"), "false:untouched");
    EXPECT_EQ(Lookup("00-00-0C"), "CISCO SYSTEMS, INC.");
}

TEST_F(SmallDatabase, LookupsFromTwoThreadsGetTheirOwnAnswers)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"00-00-00", "XEROX CORPORATION"},
        {"AA-00-04", "DIGITAL EQUIPMENT CORPORATION"},
        {"08-00-30", "NETWORK RESEARCH CORPORATION"},
        {"FF-FF-FF", "N/A"}};
    std::vector<int> wrong(2, 0);
    auto work = [&](int id) {
        for (int i = 0; i < 2000; ++i) {
            const auto& [key, expected] = cases[(i + id) % cases.size()];
            std::string vendor;
            if (!db.LookupVendor(vendor, key))
                vendor = "N/A";
            wrong[id] += vendor != expected;
        }
    };
    std::thread a(work, 0), b(work, 1);
    a.join();
    b.join();
    EXPECT_EQ(wrong[0] + wrong[1], 0);
}

TEST(VendorDatabaseFailures, NotLoadedMalformedOrCutDocumentsFindNothing)
{
    CVendorDatabase empty;
    std::string vendor = "kept";
    EXPECT_FALSE(empty.LookupVendor(vendor, "00-00-00"));

    const std::string cut = qv::test::ReadFile(qv::test::DataDir() + "/vendors_truncated.xml");
    ASSERT_FALSE(cut.empty());
    CVendorDatabase truncated;
    EXPECT_TRUE(truncated.LoadVendorDocument(cut.c_str(), cut.size())); // handed over, even though bad
    EXPECT_FALSE(truncated.LastParseError().empty());
    EXPECT_FALSE(truncated.LookupVendor(vendor, "00-00-00"));
    EXPECT_EQ(vendor, "kept");

    CVendorDatabase absent;
    EXPECT_FALSE(absent.LoadVendorDocument(nullptr, 0));
    EXPECT_FALSE(absent.LookupVendor(vendor, "00-00-00"));
}

TEST(VendorDatabaseFailures, ADocumentWithoutTheRootNameFindsNothing)
{
    const std::string text = "<Other><mac addr=\"00-00-00\" company=\"X\"/></Other>";
    CVendorDatabase db;
    ASSERT_TRUE(db.LoadVendorDocument(text.c_str(), text.size()));
    std::string vendor;
    EXPECT_FALSE(db.LookupVendor(vendor, "00-00-00"));
}

TEST(VendorDatabaseFailures, TextPastTheGivenSizeIsNeverRead)
{
    // Without a NUL right at the end the bytes are refused rather than over-read.
    const char bytes[] = {'<', 'a', '/', '>', 'X'};
    CVendorDatabase db;
    EXPECT_FALSE(db.LoadVendorDocument(bytes, 4));
}

TEST(VendorDatabaseHostile, HugeAndDeepDocumentsStillAnswer)
{
    std::string many = "<Macaddresses>";
    for (int i = 0; i < 100000; ++i) {
        char row[64];
        std::snprintf(row, sizeof row, "<mac addr=\"%02X-%02X-%02X\" company=\"C%d\"/>", (i >> 16) & 0xFF,
                      (i >> 8) & 0xFF, i & 0xFF, i);
        many += row;
    }
    many += "</Macaddresses>";
    CVendorDatabase db;
    ASSERT_TRUE(db.LoadVendorDocument(many.c_str(), many.size()));
    std::string vendor;
    ASSERT_TRUE(db.LookupVendor(vendor, "01-86-9F"));
    EXPECT_EQ(vendor, "C99999");

    std::string wide = "<Macaddresses><mac addr=\"00-00-01\" company=\"" + std::string(1 << 20, 'W') +
                       "\"/><mac addr=\"00-00-02\" company=\"B\"/></Macaddresses>";
    ASSERT_TRUE(db.LoadVendorDocument(wide.c_str(), wide.size()));
    ASSERT_TRUE(db.LookupVendor(vendor, "00-00-01"));
    EXPECT_EQ(vendor.size(), 1u << 20);
    ASSERT_TRUE(db.LookupVendor(vendor, "00-00-02"));
    EXPECT_EQ(vendor, "B");

    std::string deep = "<Macaddresses><mac addr=\"00-00-03\" company=\"D\"/>";
    for (int i = 0; i < 10000; ++i)
        deep += "<x>";
    for (int i = 0; i < 10000; ++i)
        deep += "</x>";
    deep += "</Macaddresses>";
    ASSERT_TRUE(db.LoadVendorDocument(deep.c_str(), deep.size()));
    ASSERT_TRUE(db.LookupVendor(vendor, "00-00-03"));
    EXPECT_EQ(vendor, "D");
    vendor = "kept";
    EXPECT_FALSE(db.LookupVendor(vendor, "00-00-04"));
    EXPECT_EQ(vendor, "kept");
}

} // namespace

namespace {

// A download of ieee-data's folder: its .lastupdate and the CSVs given.
struct UpdateFolder
{
    qv::test::TempDir dir;
    UpdateFolder(long long lastUpdate, std::vector<std::pair<const char*, std::string>> files)
    {
        std::ofstream(dir.Path() + "/.lastupdate") << lastUpdate << "\n";
        for (const auto& [name, text] : files)
            std::ofstream(dir.Path() + "/" + name, std::ios::binary) << text;
    }
    std::string Mac(const std::uint8_t* mac)
    {
        CVendorDatabase db({}, dir.Path());
        EXPECT_TRUE(db.LoadVendorDatabase());
        source = db.DataSource();
        date = db.DataDate();
        problems = db.UpdateProblems();
        std::string vendor = "none";
        db.LookupMac(vendor, mac);
        return vendor;
    }
    std::string source, date;
    std::vector<std::string> problems;
};

const char kHeader[] = "Registry,Assignment,Organization Name,Organization Address\r\n";
const std::uint8_t kNewBlock[6] = {0x2C, 0xCF, 0x67, 0x01, 0x02, 0x03};
const std::uint8_t kCisco[6] = {0x00, 0x00, 0x0C, 0x01, 0x02, 0x03};
constexpr long long k2025 = 1735689600; // 2025-01-01

TEST(VendorUpdates, ANewerDownloadIsUsedAndItsBrokenRegistriesAreNot)
{
    UpdateFolder newer(
        k2025, {{"oui.csv", std::string(kHeader) + "MA-L,2CCF67,Raspberry Pi (Trading) Ltd,Cambridge\r\n"},
                {"mam.csv", std::string(kHeader) + "MA-M,\"unclosed\r\n"}});
    EXPECT_EQ(newer.Mac(kNewBlock), "Raspberry Pi (Trading) Ltd");
    EXPECT_EQ(newer.Mac(kCisco), "none"); // the download's MA-L replaces the built-in one
    EXPECT_EQ(newer.source, newer.dir.Path());
    EXPECT_EQ(newer.date, "2025-01-01");
    // The broken and the missing registries keep the built-in data, and say so.
    ASSERT_EQ(newer.problems.size(), 3u);
    EXPECT_NE(newer.problems[2].find("mam.csv: record 2: broken quoting; the built-in MA-M data is used"),
              std::string::npos)
        << newer.problems[2];
    const std::uint8_t maM[6] = {0x00, 0x55, 0xDA, 0x1F, 0xFF, 0xFF};
    EXPECT_EQ(newer.Mac(maM), "KoolPOS Inc.");
}

TEST(VendorUpdates, AnOlderOrMissingDownloadLeavesTheBuiltInData)
{
    const std::string row = std::string(kHeader) + "MA-L,2CCF67,Raspberry Pi (Trading) Ltd,Cambridge\r\n";
    UpdateFolder older(1600000000, {{"oui.csv", row}});
    EXPECT_EQ(older.Mac(kNewBlock), "none");
    EXPECT_EQ(older.source, "built in");
    EXPECT_EQ(older.date, "2022-08-27");
    UpdateFolder undated(-1, {{"oui.csv", row}});
    EXPECT_EQ(undated.Mac(kCisco), "Cisco Systems, Inc");
    EXPECT_EQ(undated.source, "built in");
    EXPECT_TRUE(undated.problems.empty());
    CVendorDatabase missing({}, "/nonexistent/ieee-data");
    EXPECT_TRUE(missing.LoadVendorDatabase());
    EXPECT_EQ(missing.DataSource(), "built in");
    EXPECT_TRUE(missing.UpdateProblems().empty());
}

} // namespace
