#pragma once

#include "page/notices.h"
#include "page/poweroffservice.h"

#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class QWidget;
struct BatchOutcome;

// What the main page is given from outside: the program's folder, what the program around it
// does (the skin, the splash, the desktop's notification), and the few things that must not
// block or harm a test (message boxes, the folder chooser, the desktop's viewer, the power
// switch). Of the last four, anything left empty gets the real one; the others do nothing when
// empty.
struct PageServices
{
    QString programDirectory; // empty: the executable's folder
    // Where the job list is kept between runs; empty: it is neither restored nor saved.
    QString savedJobsPath;
    // Tells the skin that a control paints itself and must not be decorated.
    std::function<void(QWidget *control)> skinSelfDrawn;
    // Closes the start-up's splash once the page is ready.
    std::function<void()> closeSplash;
    // A batch has ended, before its notice; windowActive says whether the user is looking.
    std::function<void(const BatchOutcome &outcome, bool windowActive)> batchEnded;
    // Every second of a batch, the share of it done (0 to 1); once more with -1 at its end.
    std::function<void(double share)> batchProgress;
    std::unique_ptr<Notices> notices;          // empty: modal message boxes
    std::unique_ptr<PowerOffService> powerOff; // empty: systemd-logind
    // Returns the chosen folder, or an empty text when the user cancels.
    std::function<QString(QWidget *owner, const QString &start)> chooseFolder;
    // Opens a document with the desktop's viewer.
    std::function<bool(const QUrl &url)> openUrl;
};
