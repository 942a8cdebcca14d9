#include "arp/CArpRefresher.h"

#include "arp/ArpRowFormatter.h"
#include "arp/ArpSnapshot.h"
#include "platform/AddressText.h"

#include <condition_variable>
#include <mutex>

struct CArpRefresher::State
{
    Services services;
    std::chrono::milliseconds period;
    std::mutex lock;
    std::condition_variable wake;
    bool stopping = false;
    bool finished = false;
    // Orders a pass's rows against name answers, so that an answer that
    // arrives while a pass reads the names is applied after that pass.
    std::mutex listOrder;

    bool Stopping()
    {
        std::lock_guard<std::mutex> guard(lock);
        return stopping;
    }
};

namespace {

int RunPass(CArpRefresher::State& state)
{
    std::vector<MIB_IPNETROW> rows;
    const std::uint32_t result = qv::TakeArpSnapshot(*state.services.net, rows);
    std::vector<ArpRowText> texts;
    texts.reserve(rows.size());
    for (const MIB_IPNETROW& row : rows) {
        if (state.Stopping())
            return -1;
        texts.push_back(qv::FormatArpRowNumeric(row, *state.services.vendors));
    }
    // The IPv6 neighbours follow.
    std::vector<qv::IpAddress> addresses;
    addresses.reserve(rows.size());
    for (const MIB_IPNETROW& row : rows)
        addresses.emplace_back(row.dwAddr);
    std::vector<qv::Neighbour6> neighbours6;
    if (state.services.net->GetIpv6Neighbours(neighbours6))
        for (const qv::Neighbour6& neighbour : neighbours6) {
            texts.push_back(qv::FormatNeighbour6(neighbour, *state.services.vendors));
            addresses.emplace_back(neighbour.addr, neighbour.ifindex);
        }
    CNameResolver& names = *state.services.names;
    {
        std::lock_guard<std::mutex> guard(state.listOrder);
        if (state.Stopping())
            return -1;
        for (std::size_t i = 0; i < addresses.size(); ++i)
            if (auto known = names.Known(addresses[i]))
                texts[i].strDnsName = std::move(*known);
        state.services.sink->ReplaceRows(texts);
    }
    for (const qv::IpAddress& addr : addresses)
        names.Request(addr);
    return result == NO_ERROR_CODE ? 1 : 0;
}

void ArpWorkerProc(std::shared_ptr<CArpRefresher::State> state)
{
    for (;;) {
        if (state->Stopping())
            break;
        const int result = RunPass(*state);
        if (result >= 0 && state->services.passFinished)
            state->services.passFinished(result);
        std::unique_lock<std::mutex> guard(state->lock);
        // The wait starts only when the pass has ended, so passes never overlap.
        if (state->wake.wait_for(guard, state->period, [&] { return state->stopping; }))
            break;
    }
    std::lock_guard<std::mutex> guard(state->lock);
    state->finished = true;
    state->wake.notify_all();
}

} // namespace

CArpRefresher::CArpRefresher(Services services, std::chrono::milliseconds period)
    : m_state(std::make_shared<State>())
{
    m_state->services = std::move(services);
    m_state->period = period;
    if (!m_state->services.names)
        m_state->services.names = std::make_shared<CNameResolver>(m_state->services.net);
    std::weak_ptr<State> weak = m_state;
    m_state->services.names->SetAnswer([weak](const qv::IpAddress& addr, const std::string& text) {
        const auto state = weak.lock();
        if (!state)
            return;
        std::lock_guard<std::mutex> guard(state->listOrder);
        if (!state->Stopping())
            state->services.sink->SetDnsName(addr.Text(), text);
    });
}

CArpRefresher::~CArpRefresher()
{
    Stop(std::chrono::milliseconds(500));
}

void CArpRefresher::Start()
{
    if (m_pWorkerThread.joinable())
        return;
    m_pWorkerThread = std::thread(ArpWorkerProc, m_state);
}

bool CArpRefresher::Stop(std::chrono::milliseconds bound)
{
    {
        std::lock_guard<std::mutex> guard(m_state->lock);
        m_state->stopping = true;
        m_state->wake.notify_all();
    }
    m_state->services.names->Stop();
    if (!m_pWorkerThread.joinable())
        return true;
    bool ended = false;
    {
        std::unique_lock<std::mutex> guard(m_state->lock);
        ended = m_state->wake.wait_for(guard, bound, [&] { return m_state->finished; });
    }
    if (ended)
        m_pWorkerThread.join();
    else
        m_pWorkerThread.detach();
    return ended;
}

int CArpRefresher::RefreshArpList()
{
    return RunPass(*m_state);
}

CNameResolver& CArpRefresher::Names() const
{
    return *m_state->services.names;
}
