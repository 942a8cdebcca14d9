#include "controls/CColorIPAddressCtrl.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include <cstdio>

CColorIPAddressCtrl::CColorIPAddressCtrl(QWidget* parent)
    : QFrame(parent), m_strText("0.0.0.0"), m_crText(palette().color(QPalette::Text)),
      m_crBack(palette().color(QPalette::Base))
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, m_crBack);
    colours.setColor(QPalette::Base, m_crBack);
    colours.setColor(QPalette::Text, m_crText);
    colours.setColor(QPalette::WindowText, m_crText);
    setPalette(colours);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(0);
    // 0 to 255 without leading zeros beyond the number itself.
    const QRegularExpression octet(QStringLiteral("^(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])?$"));
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        if (i > 0) {
            auto* dot = new QLabel(QStringLiteral("."), this);
            dot->setPalette(colours);
            layout->addWidget(dot);
        }
        auto* field = new QLineEdit(this);
        field->setObjectName(QStringLiteral("field%1").arg(i));
        field->setFrame(false);
        field->setAlignment(Qt::AlignCenter);
        field->setMaxLength(3);
        field->setValidator(new QRegularExpressionValidator(octet, field));
        field->setPalette(colours);
        field->installEventFilter(this);
        layout->addWidget(field, 1);
        m_fields[i] = field;
    }
    setFocusProxy(m_fields[0]);
}

void CColorIPAddressCtrl::SetAddress(std::uint32_t hostOrder)
{
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        m_fields[i]->setText(QString::number((hostOrder >> (24 - 8 * i)) & 0xFF));
}

int CColorIPAddressCtrl::GetAddress(std::uint8_t values[4]) const
{
    int filled = 0;
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        bool ok = false;
        const int value = m_fields[i]->text().toInt(&ok);
        values[i] = static_cast<std::uint8_t>(ok && value >= 0 && value <= 255 ? value : 0);
        filled += ok;
    }
    return filled;
}

const char* CColorIPAddressCtrl::GetAddressText()
{
    std::uint8_t values[4];
    GetAddress(values);
    char text[16];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", values[0], values[1], values[2], values[3]);
    m_strText = text;
    return m_strText.c_str();
}

bool CColorIPAddressCtrl::eventFilter(QObject* watched, QEvent* event)
{
    // A dot moves on to the next field, as in the platform's address control.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->text() == QLatin1String(".")) {
            for (std::size_t i = 0; i + 1 < m_fields.size(); ++i) {
                if (watched == m_fields[i]) {
                    m_fields[i + 1]->setFocus();
                    m_fields[i + 1]->selectAll();
                    return true;
                }
            }
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}
