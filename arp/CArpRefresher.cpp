#include "arp/CArpRefresher.h"

#include "arp/ArpRowFormatter.h"

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <new>

struct CArpRefresher::State
{
    Services services;
    std::chrono::milliseconds period;
    std::mutex lock;
    std::condition_variable wake;
    bool stopping = false;
    bool finished = false;

    bool Stopping()
    {
        std::lock_guard<std::mutex> guard(lock);
        return stopping;
    }
};

namespace {

// A table that grows between the size query and the fill is read again
// rather than leaving the list empty for a whole period.
constexpr int kFillAttempts = 4;

int RunPass(CArpRefresher::State& state)
{
    INetworkServices& net = *state.services.net;
    IArpListSink& sink = *state.services.sink;
    std::unique_ptr<std::uint8_t[]> pIpNetTable;

    sink.DeleteAllItems();
    std::uint32_t size = 0;
    bool filled = false;
    for (int attempt = 0; attempt < kFillAttempts && !filled; ++attempt) {
        size = 0;
        net.GetIpNetTable(nullptr, &size, false);
        if (size < IpNetTableSize(0))
            return 0;
        pIpNetTable.reset(new (std::nothrow) std::uint8_t[size]);
        if (!pIpNetTable)
            return 0;
        std::uint32_t fillSize = size;
        const std::uint32_t result =
            net.GetIpNetTable(reinterpret_cast<MIB_IPNETTABLE*>(pIpNetTable.get()), &fillSize, false);
        if (result == NO_ERROR_CODE)
            filled = true;
        else if (result != ERROR_INSUFFICIENT_BUFFER_CODE)
            return 0;
    }
    if (!filled)
        return 0;

    std::uint32_t count = 0;
    std::memcpy(&count, pIpNetTable.get(), sizeof count);
    // Never trust a count the block cannot hold.
    const std::uint32_t capacity = (size - IpNetTableSize(0)) / sizeof(MIB_IPNETROW);
    if (count > capacity)
        count = capacity;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (state.Stopping())
            return -1;
        MIB_IPNETROW row;
        std::memcpy(&row, pIpNetTable.get() + IpNetTableSize(i), sizeof row);
        const ArpRowText text = qv::FormatArpRow(row, *state.services.vendors, net);
        if (state.Stopping())
            return -1;
        const int index = static_cast<int>(i);
        sink.InsertItem(index, text.strIp);
        sink.SetItemText(index, 1, text.strDnsName);
        sink.SetItemText(index, 2, text.strMac);
        sink.SetItemText(index, 3, text.strVendor);
        sink.SetItemText(index, 4, text.strType);
    }
    return 1;
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
    if (!m_pWorkerThread.joinable())
        return true;
    bool ended = false;
    {
        std::unique_lock<std::mutex> guard(m_state->lock);
        m_state->stopping = true;
        m_state->wake.notify_all();
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
