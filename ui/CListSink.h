#pragma once

#include "arp/IArpListSink.h"

#include <QPointer>

#include <mutex>

class CArpListCtrl;

// Carries a refresh pass's list changes to the list's thread. Each change is
// posted, never waited for, so a closing window never waits on the worker
// while the worker waits on it; the posting order is the order applied.
class CListSink : public IArpListSink
{
public:
    explicit CListSink(CArpListCtrl* list);

    void DeleteAllItems() override;
    void InsertItem(int index, const std::string& ipText) override;
    void SetItemText(int index, int column, const std::string& text) override;
    void PassFinished(int result);

    // After this nothing more reaches the list (called before it goes away).
    void Detach();

private:
    template <typename Change>
    void Post(Change&& change);

    std::mutex m_lock;
    CArpListCtrl* m_pList;
};
