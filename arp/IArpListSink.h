#pragma once

#include <string>

// Where a refresh pass puts its lines. Calls come from the worker thread, in
// order; an implementation carries them out on the list's own thread.
class IArpListSink
{
public:
    virtual ~IArpListSink() = default;
    virtual void DeleteAllItems() = 0;
    virtual void InsertItem(int index, const std::string& ipText) = 0;
    virtual void SetItemText(int index, int column, const std::string& text) = 0;
};
