#include "controls/focusring.h"

#include <QPainter>
#include <QPalette>
#include <QWidget>

namespace FocusRing {

bool FromKeyboard(Qt::FocusReason reason)
{
    return reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason
           || reason == Qt::ShortcutFocusReason;
}

void Paint(QPainter &painter, const QWidget &widget, const QRect &rect)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    // Two rings so that the mark shows on the dark navy skin and on white alike.
    painter.setPen(QPen(widget.palette().color(QPalette::Highlight), 1));
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(rect.adjusted(1, 1, -2, -2));
    painter.restore();
}

} // namespace FocusRing
