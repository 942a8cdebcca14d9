#pragma once

#include "arp/CNameResolver.h"
#include "arp/IArpListSink.h"
#include "platform/INetworkServices.h"
#include "vendor/CVendorDatabase.h"

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

// Rebuilds the neighbour list from a fresh snapshot, then waits one period,
// on a worker thread of its own. A pass lists every row at once, with the
// name last learned for its address or its IP text; the names are asked for
// concurrently and each answer updates its lines when it comes.
class CArpRefresher
{
public:
    struct Services
    {
        std::shared_ptr<INetworkServices> net;
        std::shared_ptr<CVendorDatabase> vendors;
        std::shared_ptr<IArpListSink> sink;
        std::function<void(int result)> passFinished; // optional, called on the worker
        std::shared_ptr<CNameResolver> names;         // optional: one over net by default
    };

    CArpRefresher(Services services, std::chrono::milliseconds period);
    ~CArpRefresher();

    CArpRefresher(const CArpRefresher&) = delete;
    CArpRefresher& operator=(const CArpRefresher&) = delete;

    void Start();

    // Asks the worker to stop and waits at most bound. True when it ended; on
    // false it is left to finish its blocking call alone, touching only what
    // it shares ownership of.
    bool Stop(std::chrono::milliseconds bound);

    // One pass on the calling thread: 1 when a snapshot was listed, 0 when
    // none could be had (the list is then empty), -1 when stopped midway.
    // Returns once the list has its rows; names follow.
    int RefreshArpList();

    CNameResolver& Names() const;

    struct State;

private:
    std::shared_ptr<State> m_state;
    std::thread m_pWorkerThread;
};
