#pragma once

#include <string>

// The five display texts of one neighbour entry, in column order.
struct ArpRowText
{
    std::string strIp;
    std::string strDnsName;
    std::string strMac;
    std::string strVendor;
    std::string strType;

    bool operator==(const ArpRowText&) const = default;
};
