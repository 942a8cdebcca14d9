// Vendor document: parse time, lookups, and resident memory after the load.
#include "vendor/CVendorDatabase.h"
#include "vendor/EmbeddedVendorDocument.h"

#include "bench/BenchSupport.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

std::string LastKey()
{
    const std::string text(qv::EmbeddedVendorDocumentData(), qv::EmbeddedVendorDocumentSize());
    const std::size_t at = text.rfind("<mac addr=\"");
    return text.substr(at + 11, 8);
}

CVendorDatabase& Loaded()
{
    static CVendorDatabase db;
    static const bool loaded = db.LoadVendorDatabase();
    (void)loaded;
    return db;
}

void BM_LoadDocument(benchmark::State& state)
{
    for (auto _ : state) {
        CVendorDatabase db;
        benchmark::DoNotOptimize(db.LoadVendorDatabase());
    }
}
BENCHMARK(BM_LoadDocument)->Unit(benchmark::kMillisecond);

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

// The row-by-row walk the index replaced, for reference.
void Walk(benchmark::State& state, const std::string& key)
{
    CVendorDatabase& db = Loaded();
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
        auto* db = new CVendorDatabase;
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
