#pragma once

#include "arp/ArpRowText.h"

#include <string>
#include <vector>

// Where a refresh pass puts its lines. Calls come from the worker and the
// name pool, in order; an implementation carries them out on the list's own
// thread and never makes the caller wait for it.
class IArpListSink
{
public:
    virtual ~IArpListSink() = default;
    // The whole list becomes rows, in one change.
    virtual void ReplaceRows(const std::vector<ArpRowText>& rows) = 0;
    // Every line of ipText gets name as its DNS name.
    virtual void SetDnsName(const std::string& ipText, const std::string& name) = 0;
};
