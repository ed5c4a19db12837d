#pragma once

#include "page/pageparts.h"

#include <QObject>
#include <QStringList>

class PageSources;
class QMimeData;

// Files dropped on the page from a file manager: the local files among the dropped URLs are
// added in their order as Add adds them; other URLs and folders are ignored. During a batch
// they are taken too, and added when it has ended.
class SourceDrop : public QObject
{
    Q_OBJECT

public:
    // Installs itself on the page and lets the page accept drops; goes with the page. The
    // files go to sources.
    SourceDrop(const PageParts &parts, PageSources &sources);

    // The local regular files named by the data, in order.
    static QStringList LocalFiles(const QMimeData *data);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget &m_page;
    PageSources &m_sources;
};
