#include "ui/CListSink.h"

#include "ui/CArpListCtrl.h"
#include "ui/CListChangeReceiver.h"

#include <QMetaObject>

CListSink::CListSink(CArpListCtrl* list) : m_pList(list) {}

void CListSink::Attach()
{
    // A child of the list: it goes with the list, on the list's thread.
    auto* receiver = new CListChangeReceiver(weak_from_this(), m_pList);
    std::lock_guard<std::mutex> guard(m_lock);
    m_pReceiver = receiver;
}

void CListSink::Post(Change change)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_pList == nullptr || m_pReceiver == nullptr)
        return;
    m_changes.push_back(std::move(change));
    if (!m_bWakePending) {
        m_bWakePending = true;
        // Only a wake-up crosses threads through Qt; the changes themselves
        // stay in this queue under this lock.
        QMetaObject::invokeMethod(m_pReceiver, "Apply", Qt::QueuedConnection);
    }
}

void CListSink::ApplyQueued()
{
    std::deque<Change> changes;
    CArpListCtrl* list = nullptr;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        changes.swap(m_changes);
        m_bWakePending = false;
        list = m_pList;
    }
    if (list == nullptr)
        return;
    for (Change& change : changes)
        change(*list);
}

void CListSink::DeleteAllItems()
{
    Post([](CArpListCtrl& list) { list.DeleteAllItems(); });
}

void CListSink::InsertItem(int index, const std::string& ipText)
{
    Post(
        [index, text = QString::fromStdString(ipText)](CArpListCtrl& list) { list.InsertItem(index, text); });
}

void CListSink::SetItemText(int index, int column, const std::string& text)
{
    Post([index, column, value = QString::fromStdString(text)](CArpListCtrl& list) {
        list.SetItemText(index, column, value);
    });
}

void CListSink::PassFinished(int result)
{
    Post([result](CArpListCtrl& list) { emit list.PassApplied(result); });
}

void CListSink::Detach()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_pList = nullptr;
    m_pReceiver = nullptr;
    m_changes.clear();
}
