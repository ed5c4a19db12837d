#pragma once

#include <QList>
#include <QObject>

class QWidget;

// Gives the page's standard controls (output type, profile list, Browse, the check box, the
// folder field) the property "keyboardFocus" = true while they hold a focus that came from
// the keyboard, which the skin's rules mark; a click's focus leaves them as they were. The
// controls that draw themselves show their own ring.
class FocusMarks : public QObject
{
    Q_OBJECT

public:
    // Watches the controls; goes with `owner`.
    FocusMarks(QObject *owner, const QList<QWidget *> &controls);

    static constexpr const char *Property = "keyboardFocus";

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
