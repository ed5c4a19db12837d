#pragma once

#include "page/pageparts.h"

#include <QObject>

class PreviewTrim;

// The page's keys, seen before the focused widget (an application-wide event filter): Enter
// and Escape are swallowed for every widget of the page, so neither closes anything nor
// presses a button; Page Up, Page Down, Up, Down, Home and End on the job list select jobs
// through the page, and during a batch no key press reaches the list.
class PageKeys : public QObject
{
    Q_OBJECT

public:
    // Installs itself on the application; goes with the page. The list's keys select jobs
    // through trim.
    PageKeys(const PageParts &parts, PreviewTrim &trim);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // True when the key was one of the list's six.
    bool ListKey(int key);

    PageParts m_parts;
    PreviewTrim &m_trim;
};
