#pragma once

#include <QLabel>
#include <QString>

// What the link and banner statics share: a pointing hand over an enabled
// control, and the address opened on the left button's press.
class CLinkLabel : public QLabel
{
    Q_OBJECT
public:
    void SetAddress(const QString& address) { m_strAddress = address; }
    const QString& Address() const { return m_strAddress; }

protected:
    CLinkLabel(const QString& text, const QString& address, QWidget* parent);

    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QString m_strAddress;

    void UpdateCursor();
};
