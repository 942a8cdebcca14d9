#pragma once

#include "controls/CLinkLabel.h"

// A picture that acts as a web link.
class CBannerStatic : public CLinkLabel
{
    Q_OBJECT
public:
    explicit CBannerStatic(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
