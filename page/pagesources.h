#pragma once

#include "engine/conversionjob.h"

#include "page/pageparts.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class PreviewTrim;
class SourceQueue;
class QWidget;

// The page's sources: Add, Remove selected and Remove all, and the adding of files as jobs,
// from the Open File dialog, a drop, the command line or a second launch. The buttons do
// nothing while a batch runs; files that arrive meanwhile are added after it.
class PageSources
{
public:
    // Asks the user for source files, starting in `folder`; returns them in the order chosen,
    // none on Cancel.
    using ChooseFiles = std::function<QStringList(QWidget *owner, const QString &folder)>;

    // Starts with the real dialog (SourceFileDialog). Jobs it adds or removes are shown and
    // selected through trim.
    PageSources(const PageParts &parts, PreviewTrim &trim);
    ~PageSources();
    // Puts another chooser in the dialog's place (tests: a modal dialog would block them).
    void SetFileChooser(ChooseFiles chooseFiles) { m_chooseFiles = std::move(chooseFiles); }

    // Add (button 1012): the dialog, then every chosen file as AddSourcePaths adds it.
    void OnAdd();
    // The one way in for files from outside. Returns at once; the files are measured away
    // from the UI thread and listed in order as they come (held while a batch runs), and
    // when none is left to come the last job is selected as AddSourcePath selects it. The
    // files that cannot be read are named in one "Error" notice after the whole set.
    void AddSourcePaths(const QStringList &paths);
    // Files given to AddSourcePaths and not listed yet.
    int PendingCount() const;
    SourceQueue &queue() { return *m_queue; }
    // Measures the file here and now, appends a job for the whole of it, puts its range on
    // the slider, shows its picture at its Begin and selects its row. False, with nothing appended
    // and nothing said, when the file cannot be measured or a batch runs; *problem then says
    // why.
    bool AddSourcePath(const QString &path, QString *problem = nullptr);
    // Appends a job for the whole of an absolute, measured source and tells the list.
    void ListSource(const QString &source, double duration);
    // Lists jobs kept from an earlier run as they were saved (ranges, names, outcomes) and
    // selects the last, as ShowLastJob does.
    void ListSaved(const QList<ConversionJob> &jobs);
    // The last job becomes the selected one as PreviewTrim::SelectJob selects it: its range
    // on the slider, its picture at its Begin, its row selected and in view; the video window
    // replaces the opening picture.
    void ShowLastJob();
    // Remove selected (button 1013): the job at the list's selection mark; a neighbour is
    // selected, or the video area and the slider are reset when none is left.
    void RemoveSelected();
    // Remove all (button 1014); resets the video area and the slider also on an empty list,
    // and forgets the files still waiting to be added.
    void RemoveAll();

private:
    // No job left: nothing selected, the video window blank, the slider at 0..120 s.
    void ShowNoJob();

    PageParts m_parts;
    PreviewTrim &m_trim;
    ChooseFiles m_chooseFiles;
    // Where the dialog opens: the folder of the last source added, at first the user's videos.
    QString m_folder;
    std::unique_ptr<SourceQueue> m_queue;
};
