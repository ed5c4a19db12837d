#include "page/focusmarks.h"

#include "controls/focusring.h"

#include <QAbstractScrollArea>
#include <QFocusEvent>
#include <QStyle>
#include <QWidget>

FocusMarks::FocusMarks(QObject *owner, const QList<QWidget *> &controls)
    : QObject(owner)
{
    for (QWidget *control : controls)
        control->installEventFilter(this);
}

bool FocusMarks::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::FocusIn && event->type() != QEvent::FocusOut)
        return false;
    auto *control = static_cast<QWidget *>(watched);
    const bool marked = event->type() == QEvent::FocusIn
                        && FocusRing::FromKeyboard(static_cast<QFocusEvent *>(event)->reason());
    if (control->property(Property).toBool() != marked) {
        control->setProperty(Property, marked);
        // Style sheet rules on a property are matched at polish time only; polishing again
        // would also give back the skin's font, where the page fitted a smaller one.
        auto *view = qobject_cast<QAbstractScrollArea *>(control);
        const QFont font = control->font();
        const QFont viewFont = view ? view->viewport()->font() : font;
        control->style()->unpolish(control);
        control->style()->polish(control);
        control->setFont(font);
        if (view)
            view->viewport()->setFont(viewFont);
        control->update();
    }
    return false;
}
