#pragma once

#include "page/notices.h"
#include "page/poweroffservice.h"

#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class CSplashThread;
class QWidget;
class SkinComponent;

// What the main page is given from outside: the program's folder, the skin and the splash of
// the start-up, and the few things that must not block or harm a test (message boxes, the
// folder chooser, the desktop's viewer, the power switch). Anything left empty gets the real
// one.
struct PageServices
{
    QString programDirectory;                  // empty: the executable's folder
    SkinComponent *skin = nullptr;             // not owned; may stay null
    CSplashThread *splash = nullptr;           // not owned; closed once the page is ready
    std::unique_ptr<Notices> notices;          // empty: modal message boxes
    std::unique_ptr<PowerOffService> powerOff; // empty: systemd-logind
    // Returns the chosen folder, or an empty text when the user cancels.
    std::function<QString(QWidget *owner, const QString &start)> chooseFolder;
    // Opens a document with the desktop's viewer.
    std::function<bool(const QUrl &url)> openUrl;
};
