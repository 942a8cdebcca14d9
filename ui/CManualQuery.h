#pragma once

#include "platform/INetworkServices.h"

#include <QObject>

#include <array>
#include <cstdint>
#include <memory>

// One ARP request by hand, off the window's thread: the request may wait
// seconds for its answer. The answer comes back as a signal on the thread
// that owns this object; once it is gone, a late answer reaches nothing.
class CManualQuery : public QObject
{
    Q_OBJECT
public:
    explicit CManualQuery(std::shared_ptr<INetworkServices> net, QObject* parent = nullptr);
    ~CManualQuery() override;

    // Sends for target from source (network order); false while one runs.
    bool Start(std::uint32_t source, std::uint32_t target);
    bool IsRunning() const { return m_bRunning; }

    Q_INVOKABLE void TakeAnswer();

signals:
    void Answered(std::uint32_t result, const std::array<std::uint8_t, 6>& mac);

private:
    struct Target;
    std::shared_ptr<INetworkServices> m_pNet;
    std::shared_ptr<Target> m_pTarget;
    bool m_bRunning = false;
};
