#include "arp/CNameResolver.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

// A pool thread with nothing to do ends after this, so an idle program
// keeps no threads beyond its own.
constexpr std::chrono::seconds kIdleEnd{2};

// Names learned in one run; past this many the memory starts over.
constexpr std::size_t kMaxKnown = 65536;

// Threads started at once, one a core. More start only while lookups are
// slow (a silent server): a thread costs more to start than a refused lookup.
std::size_t EagerThreads()
{
    static const std::size_t cores = std::max(2u, std::thread::hardware_concurrency());
    return cores;
}
constexpr std::chrono::milliseconds kSlowLookup{3};
constexpr std::chrono::milliseconds kGrowTick{2};

using Clock = std::chrono::steady_clock;

struct Lookup
{
    qv::IpAddress addr;
    Clock::time_point started;
    bool covered; // a thread was started to stand in for it
};

} // namespace

struct CNameResolver::State : std::enable_shared_from_this<CNameResolver::State>
{
    std::shared_ptr<INetworkServices> net;
    std::size_t maxThreads = kMaxInFlight;
    mutable std::mutex lock;
    std::condition_variable work;
    std::condition_variable grow; // the grower's own, so it takes no wake-up meant for a pool thread
    mutable std::condition_variable idle;
    std::deque<qv::IpAddress> queue;
    std::unordered_set<qv::IpAddress, qv::IpAddress::Hasher> pending; // queued or under way
    struct Known
    {
        std::string text;
        Clock::time_point learned;
    };
    std::unordered_map<qv::IpAddress, Known, qv::IpAddress::Hasher> known;
    Clock::duration refresh{};
    std::vector<Lookup> underWay;
    std::size_t threads = 0;
    std::size_t waiting = 0; // threads waiting for work
    bool growing = false;
    bool stopping = false;
    Answer answer;

    // Under the lock.
    bool Spawn();
    void StartGrower();
};

namespace {

void PoolThread(std::shared_ptr<CNameResolver::State> state)
{
    std::unique_lock<std::mutex> guard(state->lock);
    for (;;) {
        ++state->waiting;
        const bool hasWork =
            state->work.wait_for(guard, kIdleEnd, [&] { return state->stopping || !state->queue.empty(); });
        --state->waiting;
        if (state->stopping || !hasWork)
            break;
        const qv::IpAddress addr = state->queue.front();
        state->queue.pop_front();
        state->underWay.push_back({addr, Clock::now(), false});
        guard.unlock();

        std::string name;
        const auto found = addr.IsV6() ? state->net->LookupName6(addr.V6(), addr.Scope(), name)
                                       : state->net->LookupName(addr.V4(), name);
        std::string text = found == INetworkServices::NameLookup::Found ? name : addr.Text();

        guard.lock();
        std::erase_if(state->underWay, [&](const Lookup& l) { return l.addr == addr; });
        if (state->stopping)
            break;
        if (state->known.size() >= kMaxKnown)
            state->known.clear();
        // A list shows the last name learned, or the address while none is:
        // an answer that says the same changes nothing there. No answer at
        // all (a server down) changes nothing either: the name learned stays.
        const auto previous = state->known.find(addr);
        const bool same = found == INetworkServices::NameLookup::TryLater ||
                          (previous != state->known.end() ? previous->second.text == text
                                                          : found != INetworkServices::NameLookup::Found);
        if (found != INetworkServices::NameLookup::TryLater)
            state->known[addr] = {text, Clock::now()};
        const CNameResolver::Answer answer = same ? nullptr : state->answer;
        guard.unlock();
        // Outside the lock: the answer may post to a list, which never waits
        // on this pool. Still pending until it has gone, so that idle means
        // every answer was delivered.
        if (answer)
            answer(addr, text);
        guard.lock();
        state->pending.erase(addr);
        if (state->pending.empty())
            state->idle.notify_all();
    }
    --state->threads;
}

// While work is queued, starts threads to stand in for lookups that hang.
void GrowerThread(std::shared_ptr<CNameResolver::State> state)
{
    std::unique_lock<std::mutex> guard(state->lock);
    while (!state->stopping && !state->queue.empty()) {
        state->grow.wait_for(guard, kGrowTick);
        const Clock::time_point slow = Clock::now() - kSlowLookup;
        std::size_t wanted = 0;
        for (Lookup& lookup : state->underWay)
            if (!lookup.covered && lookup.started < slow) {
                lookup.covered = true;
                wanted += 2; // doubles while the server stays silent
            }
        wanted = std::min(wanted, state->queue.size());
        for (std::size_t i = 0; i < wanted && state->Spawn(); ++i) {
        }
    }
    state->growing = false;
}

} // namespace

bool CNameResolver::State::Spawn()
{
    if (threads >= maxThreads)
        return false;
    try {
        std::thread(PoolThread, shared_from_this()).detach();
    } catch (const std::system_error&) {
        return false; // none to be had now: a busy thread takes the work later
    }
    ++threads;
    return true;
}

void CNameResolver::State::StartGrower()
{
    if (growing)
        return;
    try {
        std::thread(GrowerThread, shared_from_this()).detach();
        growing = true;
    } catch (const std::system_error&) {
    }
}

CNameResolver::CNameResolver(std::shared_ptr<INetworkServices> net, std::size_t maxInFlight,
                             std::chrono::milliseconds refresh)
    : m_state(std::make_shared<State>())
{
    m_state->net = std::move(net);
    m_state->refresh = refresh;
    m_state->maxThreads = maxInFlight > 0 ? maxInFlight : 1;
}

CNameResolver::~CNameResolver()
{
    Stop();
}

void CNameResolver::SetAnswer(Answer answer)
{
    std::lock_guard<std::mutex> guard(m_state->lock);
    m_state->answer = std::move(answer);
}

void CNameResolver::Request(const qv::IpAddress& addr)
{
    std::lock_guard<std::mutex> guard(m_state->lock);
    if (m_state->stopping)
        return;
    if (const auto it = m_state->known.find(addr);
        it != m_state->known.end() && Clock::now() - it->second.learned < m_state->refresh)
        return;
    if (!m_state->pending.insert(addr).second)
        return;
    m_state->queue.push_back(addr);
    if (m_state->waiting > 0) {
        m_state->work.notify_one();
        return;
    }
    if (m_state->threads < std::min(EagerThreads(), m_state->maxThreads))
        m_state->Spawn();
    if (m_state->threads == 0) {
        // No thread at all: nothing would ever take it.
        m_state->queue.pop_back();
        m_state->pending.erase(addr);
        return;
    }
    if (m_state->threads < m_state->maxThreads)
        m_state->StartGrower();
}

std::optional<std::string> CNameResolver::Known(const qv::IpAddress& addr) const
{
    std::lock_guard<std::mutex> guard(m_state->lock);
    const auto it = m_state->known.find(addr);
    if (it == m_state->known.end())
        return std::nullopt;
    return it->second.text;
}

bool CNameResolver::WaitIdle(std::chrono::milliseconds bound) const
{
    std::unique_lock<std::mutex> guard(m_state->lock);
    return m_state->idle.wait_for(guard, bound, [&] { return m_state->pending.empty(); });
}

void CNameResolver::Stop()
{
    std::lock_guard<std::mutex> guard(m_state->lock);
    m_state->stopping = true;
    m_state->queue.clear();
    m_state->pending.clear();
    m_state->answer = nullptr;
    m_state->work.notify_all();
    m_state->grow.notify_all();
    m_state->idle.notify_all();
}
