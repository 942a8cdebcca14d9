// Vendor data: loading the compiled table, parsing the document it comes
// from, lookups by key and by whole MAC, and resident memory after the load.
#include "vendor/CVendorDatabase.h"
#include "vendor/EmbeddedVendorDocument.h"

#include "bench/BenchSupport.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

std::string LastKey()
{
    const std::string text(qv::EmbeddedVendorDocumentData(), qv::EmbeddedVendorDocumentSize());
    const std::size_t at = text.rfind("<mac addr=\"") + 11;
    return text.substr(at, text.find('"', at) - at);
}

CVendorDatabase& Loaded()
{
    static CVendorDatabase db({}, "");
    static const bool loaded = db.LoadVendorDatabase();
    (void)loaded;
    return db;
}

// The document parsed, as every start did before the table was compiled in.
CVendorDatabase& Parsed()
{
    static CVendorDatabase db({}, "");
    static const std::string text(qv::EmbeddedVendorDocumentData(), qv::EmbeddedVendorDocumentSize());
    static const bool loaded = db.LoadVendorDocument(text.c_str(), text.size());
    (void)loaded;
    return db;
}

void BM_LoadCompiled(benchmark::State& state)
{
    for (auto _ : state) {
        CVendorDatabase db({}, "");
        benchmark::DoNotOptimize(db.LoadVendorDatabase());
    }
}
BENCHMARK(BM_LoadCompiled)->Unit(benchmark::kMicrosecond);

void BM_ParseDocument(benchmark::State& state)
{
    const std::string text(qv::EmbeddedVendorDocumentData(), qv::EmbeddedVendorDocumentSize());
    for (auto _ : state) {
        CVendorDatabase db({}, "");
        benchmark::DoNotOptimize(db.LoadVendorDocument(text.c_str(), text.size()));
    }
}
BENCHMARK(BM_ParseDocument)->Unit(benchmark::kMillisecond);

// Reading ieee-data's four CSVs, as a start does after update-ieee-data.
void BM_LoadNewerCsvs(benchmark::State& state)
{
    qv::bench::NewerIeeeData folder;
    for (auto _ : state) {
        CVendorDatabase db({}, folder.Path());
        benchmark::DoNotOptimize(db.LoadVendorDatabase());
    }
}
BENCHMARK(BM_LoadNewerCsvs)->Unit(benchmark::kMillisecond);

void BM_LookupMac(benchmark::State& state)
{
    CVendorDatabase& db = Loaded();
    std::string vendor;
    // A 36-bit block, and a MAC that falls through to its 24-bit one.
    const std::uint8_t maS[6] = {0x70, 0xB3, 0xD5, 0xF2, 0xF1, 0x23};
    const std::uint8_t maL[6] = {0x00, 0x00, 0x0C, 0x12, 0x34, 0x56};
    for (auto _ : state) {
        benchmark::DoNotOptimize(db.LookupMac(vendor, maS));
        benchmark::DoNotOptimize(db.LookupMac(vendor, maL));
    }
    state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_LookupMac);

void Lookup(benchmark::State& state, const std::string& key)
{
    CVendorDatabase& db = Loaded();
    std::string vendor;
    for (auto _ : state)
        benchmark::DoNotOptimize(db.LookupVendor(vendor, key));
}

void BM_LookupFirstRow(benchmark::State& state)
{
    Lookup(state, "00-00-00");
}
BENCHMARK(BM_LookupFirstRow);

void BM_LookupLastRow(benchmark::State& state)
{
    Lookup(state, LastKey());
}
BENCHMARK(BM_LookupLastRow);

void BM_LookupAbsentKey(benchmark::State& state)
{
    Lookup(state, "FF-FF-FF");
}
BENCHMARK(BM_LookupAbsentKey);

// The row-by-row walk the table is checked against, for reference.
void Walk(benchmark::State& state, const std::string& key)
{
    CVendorDatabase& db = Parsed();
    std::string vendor;
    for (auto _ : state)
        benchmark::DoNotOptimize(db.LookupVendorByWalk(vendor, key));
}

void BM_WalkLastRow(benchmark::State& state)
{
    Walk(state, LastKey());
}
BENCHMARK(BM_WalkLastRow)->Unit(benchmark::kMicrosecond);

void BM_WalkAbsentKey(benchmark::State& state)
{
    Walk(state, "FF-FF-FF");
}
BENCHMARK(BM_WalkAbsentKey)->Unit(benchmark::kMicrosecond);

void BM_ResidentGrowthOfLoad(benchmark::State& state)
{
    long growth = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const long before = qv::bench::ResidentKiB();
        state.ResumeTiming();
        auto* db = new CVendorDatabase({}, "");
        db->LoadVendorDatabase();
        state.PauseTiming();
        growth = qv::bench::ResidentKiB() - before;
        delete db;
        state.ResumeTiming();
    }
    state.counters["rss_growth_MiB"] = static_cast<double>(growth) / 1024.0;
}
BENCHMARK(BM_ResidentGrowthOfLoad)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
