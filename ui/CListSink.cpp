#include "ui/CListSink.h"

#include "ui/CArpListCtrl.h"

#include <QMetaObject>

CListSink::CListSink(CArpListCtrl* list) : m_pList(list) {}

template <typename Change>
void CListSink::Post(Change&& change)
{
    // The lock only covers handing the event over, so it is never held while
    // anything waits for the list's thread.
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_pList == nullptr)
        return;
    CArpListCtrl* list = m_pList;
    QMetaObject::invokeMethod(
        list, [list, change = std::forward<Change>(change)]() { change(*list); }, Qt::QueuedConnection);
}

void CListSink::DeleteAllItems()
{
    Post([](CArpListCtrl& list) { list.DeleteAllItems(); });
}

void CListSink::InsertItem(int index, const std::string& ipText)
{
    Post([index, text = QString::fromStdString(ipText)](CArpListCtrl& list) { list.InsertItem(index, text); });
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
}
