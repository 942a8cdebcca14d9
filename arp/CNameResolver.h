#pragma once

#include "platform/INetworkServices.h"
#include "platform/IpAddress.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

// Reverse names (in-addr.arpa and ip6.arpa) looked up concurrently on a pool of threads, so that no
// caller waits on a slow name server. The pool keeps the system resolver's
// meaning (NSS: /etc/hosts, resolv.conf's servers, timeout and attempts).
class CNameResolver
{
public:
    // text is the name, or the address's own text when the lookup found
    // none. Called on a pool thread.
    using Answer = std::function<void(const qv::IpAddress& addr, const std::string& text)>;

    static constexpr std::size_t kMaxInFlight = 512;

    // A name learned is asked again only after refresh has passed.
    static constexpr std::chrono::minutes kRefresh{5};

    explicit CNameResolver(std::shared_ptr<INetworkServices> net, std::size_t maxInFlight = kMaxInFlight,
                           std::chrono::milliseconds refresh = kRefresh);
    ~CNameResolver();

    CNameResolver(const CNameResolver&) = delete;
    CNameResolver& operator=(const CNameResolver&) = delete;

    // Where answers go; set before the first Request.
    void SetAnswer(Answer answer);

    // Queues a lookup of addr unless one is already queued or under way, or
    // its name was learned less than the refresh time ago.
    void Request(const qv::IpAddress& addr);

    // What the last answer for addr gave in this run, if any came.
    std::optional<std::string> Known(const qv::IpAddress& addr) const;

    // Waits until nothing is pending or bound has passed; true when idle.
    bool WaitIdle(std::chrono::milliseconds bound) const;

    // Drops what is queued and every answer still to come. Threads inside a
    // lookup are not waited for: they end on their own, holding only what
    // they share ownership of.
    void Stop();

    struct State;

private:
    std::shared_ptr<State> m_state;
};
