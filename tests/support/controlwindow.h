#pragma once

#include <QTest>
#include <QWidget>

// The window a control under test sits in, beside a second control that holds the keyboard.
namespace ControlWindow {

// Shows the window and waits until it is exposed and active, then gives the keyboard to
// `other`, so that the control under test starts without focus and shows its normal colours.
// False when the window never became active.
[[nodiscard]] inline bool ShowWithKeyboardOn(QWidget *window, QWidget *other)
{
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowExposed(window) || !QTest::qWaitForWindowActive(window))
        return false;
    other->setFocus();
    return true;
}

} // namespace ControlWindow
