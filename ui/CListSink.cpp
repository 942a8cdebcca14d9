#include "ui/CListSink.h"

#include "ui/CArpListCtrl.h"
#include "ui/CListChangeReceiver.h"

#include <QMetaObject>

CListSink::CListSink(CArpListCtrl* list) : m_pList(list) {}

void CListSink::Attach()
{
    // A child of the list: it goes with the list, on the list's thread.
    auto* receiver = new CListChangeReceiver(
        [sink = weak_from_this()] {
            if (auto live = sink.lock())
                live->ApplyQueued();
        },
        m_pList);
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

void CListSink::ReplaceRows(const std::vector<ArpRowText>& rows)
{
    // Converted here, on the worker, so the list's thread only copies them in.
    QList<QStringList> lines;
    lines.reserve(static_cast<qsizetype>(rows.size()));
    for (const ArpRowText& row : rows)
        lines.push_back({QString::fromStdString(row.strIp), QString::fromStdString(row.strDnsName),
                         QString::fromStdString(row.strMac), QString::fromStdString(row.strVendor),
                         QString::fromStdString(row.strType)});
    Post([lines = std::move(lines)](CArpListCtrl& list) { list.ReplaceRows(lines); });
}

void CListSink::SetDnsName(const std::string& ipText, const std::string& name)
{
    Post([ip = QString::fromStdString(ipText), value = QString::fromStdString(name)](CArpListCtrl& list) {
        list.SetDnsName(ip, value);
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
