#include "ui/CManualQuery.h"

#include <QMetaObject>

#include <cstring>
#include <mutex>
#include <thread>

// What a query thread answers to; cleared when the query object goes.
struct CManualQuery::Target
{
    std::mutex lock;
    CManualQuery* query = nullptr;
    // The answer crosses threads here, under the lock; only a wake-up goes through Qt.
    std::uint32_t result = 0;
    std::array<std::uint8_t, 6> mac{};
};

CManualQuery::CManualQuery(std::shared_ptr<INetworkServices> net, QObject* parent)
    : QObject(parent), m_pNet(std::move(net)), m_pTarget(std::make_shared<Target>())
{
    m_pTarget->query = this;
}

CManualQuery::~CManualQuery()
{
    std::lock_guard<std::mutex> guard(m_pTarget->lock);
    m_pTarget->query = nullptr;
}

bool CManualQuery::Start(std::uint32_t source, std::uint32_t target)
{
    if (m_bRunning)
        return false;
    m_bRunning = true;
    std::thread([net = m_pNet, answerTo = m_pTarget, source, target] {
        std::uint8_t buffer[8] = {};
        std::uint32_t length = 6;
        const std::uint32_t result = net->SendARP(target, source, buffer, &length);
        std::lock_guard<std::mutex> guard(answerTo->lock);
        answerTo->result = result;
        std::memcpy(answerTo->mac.data(), buffer, answerTo->mac.size());
        if (answerTo->query)
            QMetaObject::invokeMethod(answerTo->query, "TakeAnswer", Qt::QueuedConnection);
    }).detach();
    return true;
}

void CManualQuery::TakeAnswer()
{
    std::uint32_t result = 0;
    std::array<std::uint8_t, 6> mac{};
    {
        std::lock_guard<std::mutex> guard(m_pTarget->lock);
        result = m_pTarget->result;
        mac = m_pTarget->mac;
    }
    m_bRunning = false;
    emit Answered(result, mac);
}
