#pragma once

#include <QTableWidgetItem>

#include <array>
#include <cstdint>

#include <arpa/inet.h>

// A cell of the address column: sorts by the address as a number, so that
// 10.0.0.9 comes before 10.0.0.10, and IPv4 addresses before IPv6 ones.
class CArpListItem : public QTableWidgetItem
{
public:
    explicit CArpListItem(const QString& text) : QTableWidgetItem(text) {}

    bool operator<(const QTableWidgetItem& other) const override { return Key(text()) < Key(other.text()); }

private:
    // The family's rank, then the address's bytes; text that is no address after all.
    static std::array<std::uint8_t, 17> Key(const QString& text)
    {
        std::array<std::uint8_t, 17> key{};
        const QByteArray latin = text.section(QLatin1Char('%'), 0, 0).toLatin1();
        if (::inet_pton(AF_INET, latin.constData(), key.data() + 1) == 1) {
            key[0] = 0;
        } else if (::inet_pton(AF_INET6, latin.constData(), key.data() + 1) == 1) {
            key[0] = 1;
        } else {
            key.fill(0xFF);
        }
        return key;
    }
};
