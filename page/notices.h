#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// How the page tells the user something: a box with a text, a caption, an icon and an OK
// button. The real one is modal (MessageBoxNotices); tests put in one that records.
class Notices
{
public:
    virtual ~Notices() = default;
    virtual void
    Show(QWidget *owner, const QString &text, const QString &caption, QMessageBox::Icon icon)
        = 0;
};
