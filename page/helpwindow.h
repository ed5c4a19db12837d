#pragma once

#include <QTextBrowser>

// The help document in a plain window of the program's own, for a desktop that has no viewer
// for it. Links inside the document are followed here; others go to the desktop.
class HelpWindow : public QTextBrowser
{
    Q_OBJECT

public:
    static constexpr QSize WindowSize{640, 560};

    // Loads the document at `path`; a top-level window even with a parent, which owns it.
    explicit HelpWindow(const QString &path, QWidget *parent = nullptr);
};
