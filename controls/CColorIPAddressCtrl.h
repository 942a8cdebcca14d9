#pragma once

#include <QColor>
#include <QFrame>

#include <array>
#include <cstdint>
#include <string>

class QLineEdit;

// An IPv4 address entry: four fields 0-255 separated by dots, one tab stop
// as a whole. A blank field reads as 0. The colours are the palette's at
// construction and stay so.
class CColorIPAddressCtrl : public QFrame
{
    Q_OBJECT
public:
    explicit CColorIPAddressCtrl(QWidget* parent = nullptr);

    // Host byte order, first dotted number in the most significant byte.
    void SetAddress(std::uint32_t hostOrder);

    // The four values (blank as 0); returns how many fields are not blank.
    int GetAddress(std::uint8_t values[4]) const;

    // "%d.%d.%d.%d" of the fields; valid until the next call on this control.
    const char* GetAddressText();

    QLineEdit* Field(int index) const { return m_fields[static_cast<std::size_t>(index)]; }

    // The notice shown beside the field after a number was brought down to 255.
    static QString RangeNotice();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int IndexOf(QObject* field) const;
    void MoveTo(int index, bool selectAll);
    void OnEdited(int index);
    bool PasteAddress();

    std::string m_strText;
    QColor m_crText;
    QColor m_crBack;
    std::array<QLineEdit*, 4> m_fields{};
    int m_iAdvancedTo = -1; // the number a third digit just moved to
};
