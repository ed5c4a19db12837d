#include "shell/cmivartelapp.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    // Qt would abort with a long message; one line says it.
    if (!CMivartelApp::HasDisplay()) {
        std::fputs("mivartel: no display to show the window on (DISPLAY is not set)\n", stderr);
        return 1;
    }
    CMivartelApp::ChooseMediaBackend();
    QApplication application(argc, argv);
    CMivartelApp app(QApplication::arguments().mid(1));
    return app.Run();
}
