#pragma once

#include <QObject>

class CMivartelDlg;

// The page's keys, seen before the focused widget (an application-wide event filter): Enter
// and Escape are swallowed for every widget of the page, so neither closes anything nor
// presses a button; Page Up, Page Down, Up, Down, Home and End on the job list select jobs
// through the page, and during a batch no key press reaches the list.
class PageKeys : public QObject
{
    Q_OBJECT

public:
    // Installs itself on the application; goes with the page.
    explicit PageKeys(CMivartelDlg &page);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // True when the key was one of the list's six.
    bool ListKey(int key);

    CMivartelDlg &m_page;
};
