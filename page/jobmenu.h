#pragma once

#include "page/pageparts.h"

#include <QObject>
#include <QUrl>

#include <functional>

class PageBatch;
class PageSources;
class PreviewTrim;
class QMenu;
class QPoint;

// The job list's context menu (right click on a row, or the Menu key): Pause or Resume,
// Retry, Remove, Open Containing Folder, Play Output, Show Error, and the "Jobs at Once" and
// "Even Out the Loudness" settings. Items that cannot apply to the row are disabled, never hidden;
// during a batch only those that change no job are enabled.
class JobMenu : public QObject
{
    Q_OBJECT

public:
    using OpenUrl = std::function<bool(const QUrl &url)>;

    // Owned by the page; openUrl opens a folder or a file with the desktop's program.
    JobMenu(const PageParts &parts,
            PageBatch &batch,
            PageSources &sources,
            PreviewTrim &trim,
            OpenUrl openUrl);

    struct Items
    {
        bool pause = false; // pause or resume the batch
        bool retry = false;
        bool remove = false;
        bool openFolder = false;
        bool playOutput = false;
        bool showError = false;
    };
    // What applies to the job in the row; nothing for a row that holds no job.
    static Items ItemsFor(const SharedState &state, int row);

    // The menu for the row, its actions connected; the caller owns it.
    QMenu *MenuFor(int row);

    static const QString RetryText;
    static const QString RemoveText;
    static const QString OpenFolderText;
    static const QString PlayOutputText;
    static const QString ShowErrorText;
    static const QString JobsAtOnceText;
    static const QString EvenLoudnessText;
    // The notice when the desktop has no program that opens the file or folder at path.
    static QString NoProgramText(const QString &path);

private:
    void Show(const QPoint &pos);
    void Retry(int row);
    // Opens the folder or file with the desktop's program, or says that none is set.
    void Open(const QUrl &url);
    QUrl OutputUrl(int row) const;

    PageParts m_parts;
    PageBatch &m_batch;
    PageSources &m_sources;
    PreviewTrim &m_trim;
    OpenUrl m_openUrl;
};
