#include "controls/CColorIPAddressCtrl.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QClipboard>
#include <QGuiApplication>
#include <QRegularExpressionValidator>
#include <QToolTip>

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
    // Digits only; a number above 255 is brought down when typed.
    const QRegularExpression octet(QStringLiteral("^[0-9]{0,3}$"));
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
        // One tab stop for the whole address: the first number.
        field->setFocusPolicy(i == 0 ? Qt::StrongFocus : Qt::ClickFocus);
        layout->addWidget(field, 1);
        m_fields[i] = field;
        const int index = static_cast<int>(i);
        connect(field, &QLineEdit::textEdited, this, [this, index] { OnEdited(index); });
        connect(field, &QLineEdit::editingFinished, field, [field] {
            // "05" as typed after a click is the number 5.
            bool ok = false;
            const int value = field->text().toInt(&ok);
            if (ok && field->text() != QString::number(value))
                field->setText(QString::number(value));
        });
    }
    setFocusProxy(m_fields[0]);
}

QString CColorIPAddressCtrl::RangeNotice()
{
    return QStringLiteral("请指定一个介于 0 和 255 之间的值。");
}

int CColorIPAddressCtrl::IndexOf(QObject* field) const
{
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        if (m_fields[i] == field)
            return static_cast<int>(i);
    return -1;
}

void CColorIPAddressCtrl::MoveTo(int index, bool selectAll)
{
    QLineEdit* field = m_fields[static_cast<std::size_t>(index)];
    field->setFocus(Qt::OtherFocusReason);
    if (selectAll)
        field->selectAll();
    else
        field->setCursorPosition(field->text().size());
}

void CColorIPAddressCtrl::OnEdited(int index)
{
    QLineEdit* field = m_fields[static_cast<std::size_t>(index)];
    if (field->text().toInt() > 255) {
        field->setText(QStringLiteral("255"));
        QToolTip::showText(field->mapToGlobal(QPoint(0, field->height())), RangeNotice(), field);
        field->selectAll();
        return;
    }
    // A third digit completes the number.
    if (field->text().size() == 3 && field->cursorPosition() == 3 &&
        index + 1 < static_cast<int>(m_fields.size())) {
        MoveTo(index + 1, true);
        m_iAdvancedTo = index + 1;
    }
}

bool CColorIPAddressCtrl::PasteAddress()
{
    const QString text = QGuiApplication::clipboard()->text().trimmed();
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    std::array<int, 4> values{};
    for (std::size_t i = 0; i < values.size(); ++i) {
        bool ok = false;
        values[i] = parts[static_cast<int>(i)].toInt(&ok);
        if (!ok || parts[static_cast<int>(i)].size() > 3 || values[i] < 0 || values[i] > 255)
            return false;
    }
    for (std::size_t i = 0; i < values.size(); ++i)
        m_fields[i]->setText(QString::number(values[i]));
    MoveTo(3, false);
    return true;
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
    const int index = IndexOf(watched);
    if (index < 0 || event->type() != QEvent::KeyPress)
        return QFrame::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    QLineEdit* field = m_fields[static_cast<std::size_t>(index)];
    const int last = static_cast<int>(m_fields.size()) - 1;
    // A dot right after a number completed itself is the one already made.
    const bool justAdvanced = m_iAdvancedTo == index;
    m_iAdvancedTo = -1;
    if (key->matches(QKeySequence::Paste))
        return PasteAddress() || QFrame::eventFilter(watched, event);
    // A digit into a whole number, after a click placed the caret in it,
    // starts the number afresh: typing an address over one gives that address.
    if (key->text().size() == 1 && key->text()[0].isDigit() && field->text().size() >= 3 &&
        !field->hasSelectedText()) {
        field->setText(key->text());
        OnEdited(index);
        return true;
    }
    switch (key->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
        // Leave the whole control, from whichever number.
        const bool forward = key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier);
        m_fields[static_cast<std::size_t>(forward ? last : 0)]->setFocus(Qt::OtherFocusReason);
        focusNextPrevChild(forward);
        return true;
    }
    case Qt::Key_Period:
    case Qt::Key_Space:
        // On to the next number, as the platform's address control does.
        if (index < last && !justAdvanced)
            MoveTo(index + 1, true);
        return true;
    case Qt::Key_Backspace:
        if (index > 0 && field->cursorPosition() == 0 && !field->hasSelectedText()) {
            MoveTo(index - 1, false);
            return true;
        }
        break;
    case Qt::Key_Left:
        if (index > 0 && field->cursorPosition() == 0 && key->modifiers() == Qt::NoModifier) {
            MoveTo(index - 1, false);
            return true;
        }
        break;
    case Qt::Key_Right:
        if (index < last && field->cursorPosition() == field->text().size() &&
            key->modifiers() == Qt::NoModifier) {
            MoveTo(index + 1, false);
            m_fields[static_cast<std::size_t>(index + 1)]->setCursorPosition(0);
            return true;
        }
        break;
    case Qt::Key_Home:
        MoveTo(0, false);
        m_fields[0]->setCursorPosition(0);
        return true;
    case Qt::Key_End:
        MoveTo(last, false);
        return true;
    default:
        break;
    }
    return QFrame::eventFilter(watched, event);
}
