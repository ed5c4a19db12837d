#pragma once

#include "shell/csplashthread.h"

#include <QDBusConnection>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class COuterDlg;
class SingleInstance;
class SkinComponent;
class TerminationSignals;

// The program from start to end, inside a running QApplication: the skin before any window, the
// splash until the page is ready, the outer window, and the teardown in reverse order. SIGTERM and
// SIGINT close the window as the user would. One such program runs per user: a second start hands
// its files to it.
class CMivartelApp
{
public:
    // The files are added as jobs once the window is up (relative names are taken from the
    // current folder, which the program never changes).
    explicit CMivartelApp(const QStringList &files = {});
    ~CMivartelApp();

    // ClaimInstance on the session bus, InitInstance, the event loop, ExitInstance; returns
    // the exit status.
    int Run();

    // Makes this start the user's one window program, or hands the files to the one that runs
    // and then returns the status to end with (0 once that one took them). Nothing when this
    // start goes on: files that later starts send are then added to its window, as the
    // command line's are.
    std::optional<int> ClaimInstance(const QDBusConnection &bus);

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
    void OnActivated(const QStringList &files);

    QString m_programDirectory;
    QStringList m_files;
    std::unique_ptr<SkinComponent> m_skin;
    CSplashThread m_splash;
    std::unique_ptr<COuterDlg> m_outer;
    std::unique_ptr<TerminationSignals> m_signals;
    std::unique_ptr<SingleInstance> m_instance;
};
