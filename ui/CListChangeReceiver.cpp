#include "ui/CListChangeReceiver.h"

#include "ui/CListSink.h"

CListChangeReceiver::CListChangeReceiver(std::weak_ptr<CListSink> sink, QObject* parent)
    : QObject(parent), m_pSink(std::move(sink))
{
}

void CListChangeReceiver::Apply()
{
    if (auto sink = m_pSink.lock())
        sink->ApplyQueued();
}
