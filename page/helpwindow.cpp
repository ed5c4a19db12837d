#include "page/helpwindow.h"

#include <QFileInfo>
#include <QUrl>

HelpWindow::HelpWindow(const QString &path, QWidget *parent)
    : QTextBrowser(parent)
{
    setWindowFlag(Qt::Window);
    resize(WindowSize);
    setOpenExternalLinks(true);
    if (QFileInfo(path).isFile())
        setSource(QUrl::fromLocalFile(path));
    else
        setPlainText(QStringLiteral("The help file %1 is missing.").arg(path));
    setWindowTitle(documentTitle().isEmpty() ? QStringLiteral("Mivartel Help") : documentTitle());
}
