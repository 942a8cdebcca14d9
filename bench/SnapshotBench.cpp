// Neighbour-table snapshot against the real kernel (run it in a test
// namespace: bench/run.sh), beside "ip -4 neigh" on the same table, and the
// formatting of rows with vendor lookups and no DNS.
#include "arp/ArpRowFormatter.h"
#include "platform/linux/LinuxNetworkServices.h"
#include "tests/platform/FakeNetworkServices.h"
#include "vendor/CVendorDatabase.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

bool InTestNamespace()
{
    return std::getenv("QV_NETNS") != nullptr;
}

// Exactly n permanent entries on h0.
void FillTable(int n)
{
    std::system("ip neigh flush dev h0 nud permanent");
    std::string command =
        "for i in $(seq 0 " + std::to_string(n - 1) +
        "); do echo \"neigh add 10.213.$((100 + i / 250)).$((1 + i % 250)) lladdr "
        "02:00:00:00:$(printf %02x $((i / 256))):$(printf %02x $((i % 256))) nud permanent dev "
        "h0\"; done | ip -batch -";
    if (std::system(command.c_str()) != 0)
        std::abort();
}

void BM_Snapshot(benchmark::State& state)
{
    if (!InTestNamespace()) {
        state.SkipWithError("run through bench/run.sh (needs a test namespace)");
        return;
    }
    FillTable(static_cast<int>(state.range(0)));
    LinuxNetworkServices net;
    std::vector<std::uint8_t> block;
    for (auto _ : state) {
        std::uint32_t size = 0;
        net.GetIpNetTable(nullptr, &size, false);
        block.resize(size);
        net.GetIpNetTable(reinterpret_cast<MIB_IPNETTABLE*>(block.data()), &size, false);
        benchmark::DoNotOptimize(block.data());
    }
}
BENCHMARK(BM_Snapshot)->Arg(1000)->Arg(5000)->Unit(benchmark::kMicrosecond);

void BM_IpNeighCommand(benchmark::State& state)
{
    if (!InTestNamespace()) {
        state.SkipWithError("run through bench/run.sh (needs a test namespace)");
        return;
    }
    FillTable(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(std::system("ip -4 neigh show nud all >/dev/null"));
}
BENCHMARK(BM_IpNeighCommand)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);

void BM_Format1000Rows(benchmark::State& state)
{
    CVendorDatabase vendors;
    vendors.LoadVendorDatabase();
    std::vector<MIB_IPNETROW> rows;
    for (int i = 0; i < 1000; ++i)
        rows.push_back(
            FakeNetworkServices::Row("10.0.0.1", {static_cast<std::uint8_t>(i), 0x1B, 0x21, 1, 2, 3}, 3));
    for (auto _ : state)
        for (const MIB_IPNETROW& row : rows)
            benchmark::DoNotOptimize(qv::FormatArpRowNumeric(row, vendors));
}
BENCHMARK(BM_Format1000Rows)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
