#pragma once

#include "arp/IArpListSink.h"

#include <deque>
#include <functional>
#include <memory>
#include <mutex>

class CArpListCtrl;
class CListChangeReceiver;

// Carries a refresh pass's list changes to the list's thread. Changes are
// queued here, in order, and the list's thread is woken to apply them; the
// worker never waits for the window, so a closing window never waits on a
// worker that waits on it.
class CListSink : public IArpListSink, public std::enable_shared_from_this<CListSink>
{
public:
    using Change = std::function<void(CArpListCtrl&)>;

    // Call Attach() before the first change; list must live on this thread.
    explicit CListSink(CArpListCtrl* list);
    void Attach();

    void ReplaceRows(const std::vector<ArpRowText>& rows) override;
    void SetDnsName(const std::string& ipText, const std::string& name) override;
    void PassFinished(int result);

    // After this nothing more reaches the list (called before it goes away).
    void Detach();

    // On the list's thread: applies what has been queued so far.
    void ApplyQueued();

private:
    void Post(Change change);

    std::mutex m_lock;
    CArpListCtrl* m_pList;
    CListChangeReceiver* m_pReceiver = nullptr;
    std::deque<Change> m_changes;
    bool m_bWakePending = false;
};
