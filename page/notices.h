#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

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

// The text of the notice for sources that cannot be read; each entry is "path: reason".
inline QString UnreadableSourcesText(const QStringList &refused)
{
    if (refused.size() == 1)
        return QStringLiteral("This file was not added:\n%1").arg(refused[0]);
    return QStringLiteral("These files were not added:\n%1").arg(refused.join(QLatin1Char('\n')));
}
