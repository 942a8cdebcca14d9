#pragma once

#include "arp/AddressOrder.h"

#include <QTableWidgetItem>

// A cell of the address column: sorts by the address as a number.
class CArpListItem : public QTableWidgetItem
{
public:
    explicit CArpListItem(const QString& text) : QTableWidgetItem(text) {}

    bool operator<(const QTableWidgetItem& other) const override
    {
        return qv::AddressSortKey(text().toStdString()) < qv::AddressSortKey(other.text().toStdString());
    }
};
