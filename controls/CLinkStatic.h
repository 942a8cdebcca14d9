#pragma once

#include <QColor>
#include <QLabel>
#include <QString>

// A line of text that acts as a web link: blue, underlined, no background,
// a pointing hand over it, and the address opened on the button press.
class CLinkStatic : public QLabel
{
    Q_OBJECT
public:
    explicit CLinkStatic(const QString& text, QWidget* parent = nullptr);

    void SetAddress(const QString& address) { m_strAddress = address; }
    const QString& Address() const { return m_strAddress; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QColor m_crText;
    QString m_strAddress;
};
