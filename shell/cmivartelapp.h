#pragma once

#include "shell/csplashthread.h"

#include <QString>
#include <QStringList>

#include <memory>

class COuterDlg;
class QSocketNotifier;
class SkinComponent;

// The program from start to end, inside a running QApplication: the program's folder as the
// working directory, the skin before any window, the splash until the page is ready, the
// outer window, and the teardown in reverse order. SIGTERM and SIGINT close the window as
// the user would.
class CMivartelApp
{
public:
    // The files are added as jobs once the window is up (relative names are taken from the
    // current folder now, before the start-up changes it).
    explicit CMivartelApp(const QStringList &files = {});
    ~CMivartelApp();

    // InitInstance, the event loop, ExitInstance; returns the exit status.
    int Run();

    // Builds everything up to the shown outer window.
    void InitInstance();
    // Tears down what InitInstance built and returns the exit status.
    int ExitInstance();

    // True where Qt can open a window: a display, a Wayland socket or a chosen platform.
    static bool HasDisplay();
    // Sets QT_MEDIA_BACKEND=ffmpeg unless the user chose a back end.
    static void ChooseMediaBackend();

    // The folder of the executable (links followed), ending with "/".
    QString programDirectory() const { return m_programDirectory; }
    COuterDlg *outerWindow() const { return m_outer.get(); }

private:
    void WarnAboutMissingFiles() const;
    void CatchTerminationSignals();

    QString m_programDirectory;
    QStringList m_files;
    std::unique_ptr<SkinComponent> m_skin;
    CSplashThread m_splash;
    std::unique_ptr<COuterDlg> m_outer;
    std::unique_ptr<QSocketNotifier> m_signalNotifier;
};
