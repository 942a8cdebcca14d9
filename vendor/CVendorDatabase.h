#pragma once

#include "vendor/VendorTable.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

// The IEEE registries (MA-L, MA-M, MA-S, IAB) and their lookup: compiled
// into the program from the vendor document, or read from a newer
// download of Debian's ieee-data. Lookups may come from several threads.
class CXmlDocReader;

class CVendorDatabase
{
public:
    // Told why a document could not be read.
    using FailureNotifier = std::function<void(const std::string& message)>;

    static constexpr const char* kUpdateFolder = "/var/lib/ieee-data";

    explicit CVendorDatabase(FailureNotifier notifier = {}, std::string updateFolder = kUpdateFolder);

    // The compiled registries; a registry whose CSV in the update folder is
    // newer (by its .lastupdate) and reads cleanly replaces its compiled
    // one. Always true: the compiled data needs nothing found or parsed.
    bool LoadVendorDatabase();

    // The registries of a document held elsewhere (tests, tools; where an
    // XML reader is built in, see CVendorDatabaseDocument.cpp). data
    // must be NUL-terminated at data[size]; nothing past it is read. True
    // when the bytes were taken, whether or not they parsed.
    bool LoadVendorDocument(const char* data, std::size_t size);

    // True with vendor set to the company of the first row whose addr
    // equals key exactly ("00-00-0C", "74-1A-E0-9"); false with vendor
    // untouched otherwise.
    bool LookupVendor(std::string& vendor, std::string key);

    // The company of the longest registered block holding mac: MA-S and
    // IAB (36 bits) over MA-M (28) over MA-L (24).
    bool LookupMac(std::string& vendor, const std::uint8_t* mac);

    // LookupVendor's answer found by walking the last loaded document row
    // by row: the reference the tables are checked against.
    bool LookupVendorByWalk(std::string& vendor, const std::string& key);

    // Reason of the last failed parse, empty when none failed.
    std::string LastParseError();

    // The data's date (YYYY-MM-DD, UTC) and where it came from: "built in"
    // or the update folder.
    std::string DataDate() const;
    long long DataTime() const; // the same, seconds since the epoch
    std::string DataSource() const;

    // One line for each registry of a newer update folder that could not
    // be read, whose compiled data stayed in use.
    std::vector<std::string> UpdateProblems() const;

    // Every block, for tools: registry, prefix, company.
    template <typename Visit> void ForEachBlock(Visit&& visit) const
    {
        std::lock_guard<std::mutex> guard(m_lock);
        for (int r = 0; r < qv::vendor_table::RegistryCount; ++r)
            for (std::size_t i = 0; i < m_registries[r].count; ++i)
                visit(r, m_registries[r].blocks[i].prefix,
                      std::string_view(m_registries[r].names + m_registries[r].blocks[i].name));
    }

private:
    struct Registry
    {
        const qv::vendor_table::Block* blocks = nullptr;
        std::size_t count = 0;
        const char* names = nullptr;
        // Set when the registry came from a document or a CSV, not the build.
        std::vector<qv::vendor_table::Block> ownBlocks;
        std::string ownNames;
    };
    using Rows = std::vector<std::pair<std::uint64_t, std::string_view>>;
    static void Fill(Registry& registry, Rows rows);
    static int RegistryOfBits(int bits, std::string_view registry);
    // "MM/DD/YYYY hh:mm:ss" (UTC) to seconds since the epoch; 0 when it is not one.
    static long long ParseCreated(std::string_view text);
    void UseCompiled();
    bool FindBlock(int registry, std::uint64_t prefix, std::string& vendor) const;

    mutable std::mutex m_lock;
    FailureNotifier m_notifier;
    std::shared_ptr<CXmlDocReader> m_xmlReader; // the last document loaded, if any
    std::string m_strUpdateFolder;
    std::array<Registry, qv::vendor_table::RegistryCount> m_registries;
    long long m_created = 0;
    bool m_fromFolder = false;
    std::vector<std::string> m_updateProblems;
};
