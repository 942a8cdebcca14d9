#pragma once

#include <QString>

class QMouseEvent;
class QWidget;

// What the link and banner statics share: the hand over an enabled control,
// and the address opened on the left button's press.
namespace qv::link {

void UpdateCursor(QWidget& control);

// Opens address (or, when it is empty, the control's text, which then stays
// the address) for a left press on a control that is enabled and shown.
void OpenOnPress(QWidget& control, const QMouseEvent& event, QString& address, const QString& text);

} // namespace qv::link
