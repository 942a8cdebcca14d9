#pragma once

#include <QTableWidgetItem>

#include <cstdint>

// A cell of the address column: sorts by the address as a number, so that
// 10.0.0.9 comes before 10.0.0.10.
class CArpListItem : public QTableWidgetItem
{
public:
    explicit CArpListItem(const QString& text) : QTableWidgetItem(text) {}

    bool operator<(const QTableWidgetItem& other) const override
    {
        return Number(text()) < Number(other.text());
    }

private:
    static std::uint64_t Number(const QString& text)
    {
        const QStringList parts = text.split(QLatin1Char('.'));
        if (parts.size() != 4)
            return std::uint64_t(1) << 32; // not an address: after all of them
        std::uint64_t value = 0;
        for (const QString& part : parts)
            value = (value << 8) | (part.toUInt() & 0xFF);
        return value;
    }
};
