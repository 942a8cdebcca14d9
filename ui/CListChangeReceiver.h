#pragma once

#include <QObject>

#include <functional>

// Lives on the list's thread and runs apply there when woken; it knows
// nothing of who queued the work.
class CListChangeReceiver : public QObject
{
    Q_OBJECT
public:
    CListChangeReceiver(std::function<void()> apply, QObject* parent);

    Q_INVOKABLE void Apply();

private:
    std::function<void()> m_apply;
};
