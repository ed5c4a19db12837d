#pragma once

#include <QWidget>

// Shows a top-level window, restored if it was minimised, in front and active: what the user
// expects when asking again for a window that is already open somewhere.
inline void BringToFront(QWidget *window)
{
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}
