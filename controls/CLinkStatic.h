#pragma once

#include "controls/CLinkLabel.h"

#include <QColor>

// A line of text that acts as a web link: blue, underlined, no background.
class CLinkStatic : public CLinkLabel
{
    Q_OBJECT
public:
    explicit CLinkStatic(const QString& text, QWidget* parent = nullptr);

protected:
    void changeEvent(QEvent* event) override;

private:
    void UpdateLook();

    QColor m_crText;
};
