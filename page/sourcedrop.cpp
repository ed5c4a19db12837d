#include "page/sourcedrop.h"

#include "page/pagesources.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

SourceDrop::SourceDrop(const PageParts &parts, PageSources &sources)
    : QObject(&parts.page)
    , m_page(parts.page)
    , m_sources(sources)
{
    m_page.setAcceptDrops(true);
    m_page.installEventFilter(this);
}

QStringList SourceDrop::LocalFiles(const QMimeData *data)
{
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile())
            files.append(url.toLocalFile());
    }
    return files;
}

bool SourceDrop::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != &m_page)
        return false;
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDropEvent *>(event);
        if (!LocalFiles(drag->mimeData()).isEmpty())
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const QStringList files = LocalFiles(drop->mimeData());
        if (files.isEmpty()) {
            drop->ignore();
            return true;
        }
        drop->acceptProposedAction();
        // Returns at once; a notice about refused files comes later, never inside the drag.
        m_sources.AddSourcePaths(files);
        return true;
    }
    default:
        return false;
    }
}
