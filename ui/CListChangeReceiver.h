#pragma once

#include <QObject>

#include <memory>

class CListSink;

// Lives on the list's thread and applies a sink's queued changes when woken.
class CListChangeReceiver : public QObject
{
    Q_OBJECT
public:
    CListChangeReceiver(std::weak_ptr<CListSink> sink, QObject* parent);

    Q_INVOKABLE void Apply();

private:
    std::weak_ptr<CListSink> m_pSink;
};
