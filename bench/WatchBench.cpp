// The change watch against the real kernel (run it in a test namespace:
// bench/run.sh): 10,000 entries change their MAC in one burst; the wall time
// until every change is reported, and the watcher's CPU time per event; then
// the state file of them all: its size and the time a write takes (flushed
// and synced, as the watch does).
#include "arp/CNeighbourWatcher.h"
#include "arp/CWatchState.h"

#include <algorithm>
#include <filesystem>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include <sys/eventfd.h>
#include <time.h>
#include <unistd.h>

namespace {

void Batch(const char* last)
{
    const std::string command = std::string("awk 'BEGIN { for (i = 0; i < 10000; i++) printf \"neigh replace "
                                            "10.213.%d.%d lladdr 02:00:00:%02x:%02x:") +
                                last +
                                " nud permanent dev h0\\n\", 120 + int(i / 250), 1 + i % 250, int(i / 256), "
                                "i % 256 }' | ip -batch -";
    if (std::system(command.c_str()) != 0)
        std::abort();
}

double ThreadSeconds(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

} // namespace

int main()
{
    if (std::getenv("QV_NETNS") == nullptr) {
        std::fputs("run through bench/run.sh (needs a test namespace)\n", stderr);
        return 1;
    }
    Batch("01");
    std::atomic<int> events{0};
    std::atomic<bool> ready{false};
    std::atomic<double> cpu{0};
    const int stop = ::eventfd(0, EFD_CLOEXEC);
    CNeighbourWatcher::Options options;
    options.ready = [&] { ready = true; };
    CNeighbourWatcher watcher(options);
    std::thread thread([&] {
        clockid_t clock;
        pthread_getcpuclockid(pthread_self(), &clock);
        watcher.Run(stop, [&](const CChangeTracker::Event&) {
            ++events;
            cpu = ThreadSeconds(clock);
        });
    });
    while (!ready)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    clockid_t watcherClock;
    pthread_getcpuclockid(thread.native_handle(), &watcherClock);
    const double cpuBefore = ThreadSeconds(watcherClock);
    const auto start = std::chrono::steady_clock::now();
    Batch("02");
    while (events < 10000)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    const auto wall =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf(
        "burst of 10000 changes: all reported after %.0f ms (ip -batch included), watcher CPU %.1f us per "
        "event, %d resyncs\n",
        wall, (cpu - cpuBefore) * 1e6 / events, watcher.Resyncs());
    const std::uint64_t one = 1;
    if (::write(stop, &one, sizeof one) < 0)
        return 1;
    thread.join();

    const std::string path = std::filesystem::temp_directory_path() / "qv-bench-state.jsonl";
    CWatchState state(path);
    std::string reason;
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        const auto begin = std::chrono::steady_clock::now();
        if (!state.Write(watcher.Tracker(), reason))
            return 1;
        best = std::min(
            best,
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
    }
    std::printf("state of %zu stations: %.0f KiB, written in %.1f ms (best of 5)\n", watcher.Tracker().Size(),
                static_cast<double>(std::filesystem::file_size(path)) / 1024.0, best);
    std::filesystem::remove(path);
    std::system("ip neigh flush dev h0 nud permanent to 10.213.112.0/20");
    return 0;
}
