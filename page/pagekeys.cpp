#include "page/pagekeys.h"

#include "controls/ccelllistctrl.h"
#include "engine/sharedstate.h"
#include "page/previewtrim.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include <algorithm>

PageKeys::PageKeys(const PageParts &parts, PreviewTrim &trim)
    : QObject(&parts.page)
    , m_parts(parts)
    , m_trim(trim)
{
    QCoreApplication::instance()->installEventFilter(this);
}

bool PageKeys::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease)
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    // Dialogs and pop-ups are windows of their own and keep their keys.
    if (!widget || (widget != &m_parts.page && !m_parts.page.isAncestorOf(widget)))
        return false;
    const int key = static_cast<QKeyEvent *>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape)
        return true;
    if (type != QEvent::KeyPress || widget != &m_parts.jobList)
        return false;
    if (m_parts.state.converting)
        return true;
    return ListKey(key);
}

bool PageKeys::ListKey(int key)
{
    CCellListCtrl *list = &m_parts.jobList;
    const int m = list->GetSelectionMark();
    const int n = m_parts.state.jobs.count();
    int target = -1;
    switch (key) {
    case Qt::Key_PageDown:
        if (m < n - 1)
            target = std::min(m + 3, n - 1);
        break;
    case Qt::Key_PageUp:
        if (m > 0)
            target = std::max(m - 3, 0);
        break;
    case Qt::Key_Down:
        if (m < list->GetItemCount() - 1)
            target = m + 1;
        break;
    case Qt::Key_Up:
        if (m > 0)
            target = m - 1;
        break;
    case Qt::Key_Home:
        if (n >= 1)
            target = 0;
        break;
    case Qt::Key_End:
        if (n >= 1)
            target = n - 1;
        break;
    default:
        return false;
    }
    if (target >= 0)
        m_trim.SelectJob(target);
    list->SelectRow(m_trim.selectedJob());
    return true;
}
