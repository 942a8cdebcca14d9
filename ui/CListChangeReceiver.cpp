#include "ui/CListChangeReceiver.h"

CListChangeReceiver::CListChangeReceiver(std::function<void()> apply, QObject* parent)
    : QObject(parent), m_apply(std::move(apply))
{
}

void CListChangeReceiver::Apply()
{
    if (m_apply)
        m_apply();
}
