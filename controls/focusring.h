#pragma once

#include <Qt>

class QPainter;
class QRect;
class QWidget;

// The focus mark of the controls that draw themselves, shown only when the focus came from the
// keyboard, as a browser's focus-visible: a mouse user sees the controls as before.
namespace FocusRing {

// Tab, Backtab and a mnemonic show the ring; a click or the program's own focus change do not.
bool FromKeyboard(Qt::FocusReason reason);
// A two-pixel ring in the widget's highlight colour just inside `rect`.
void Paint(QPainter &painter, const QWidget &widget, const QRect &rect);

} // namespace FocusRing
