#pragma once

#include <QLabel>
#include <QString>

// A picture that acts as a web link.
class CBannerStatic : public QLabel
{
    Q_OBJECT
public:
    explicit CBannerStatic(QWidget* parent = nullptr);

    void SetAddress(const QString& address) { m_strAddress = address; }
    const QString& Address() const { return m_strAddress; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_strAddress;
};
