#pragma once

#include <memory>

class CSplashDlg;

// Owns the splash window for the start-up. Widgets live on the main thread only, so the
// splash is shown and painted there before the outer window is built, instead of in a
// thread of its own; the close request is the same.
class CSplashThread
{
public:
    CSplashThread();
    ~CSplashThread();

    // Creates the splash window and shows it, and returns once it has been painted (or
    // after a second, if the display never shows it). After a close request nothing is
    // shown.
    void Start();
    // Hides the splash; the window object stays. Before Start it only makes sure that
    // Start shows nothing.
    void Close();

    // The splash window; null before Start.
    CSplashDlg *SplashWindow() const { return m_splash.get(); }

private:
    std::unique_ptr<CSplashDlg> m_splash;
    bool m_closeRequested = false;
};
