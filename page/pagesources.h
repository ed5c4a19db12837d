#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class CMivartelDlg;
class QWidget;

// The page's sources: Add, Remove selected and Remove all, and the adding of files as jobs,
// from the Open File dialog, a drop or the command line. Nothing here acts while a batch runs.
class PageSources
{
public:
    // Asks the user for source files, starting in `folder`; returns them in the order chosen,
    // none on Cancel.
    using ChooseFiles = std::function<QStringList(QWidget *owner, const QString &folder)>;

    // Starts with the real dialog (SourceFileDialog).
    explicit PageSources(CMivartelDlg &page);
    // Puts another chooser in the dialog's place (tests: a modal dialog would block them).
    void SetFileChooser(ChooseFiles chooseFiles) { m_chooseFiles = std::move(chooseFiles); }

    // Add (button 1012): the dialog, then every chosen file as AddSourcePaths adds it.
    void OnAdd();
    // Adds each file in order; the files that cannot be read are named in one "Error" notice
    // and the others are still added. Returns how many jobs were appended.
    int AddSourcePaths(const QStringList &paths);
    // Measures the file, appends a job for the whole of it, puts its range on the slider,
    // shows its picture at 1 s and selects its row. False, with nothing appended and nothing
    // said, when the file cannot be measured; *problem then says why.
    bool AddSourcePath(const QString &path, QString *problem = nullptr);
    // Remove selected (button 1013): the job at the list's selection mark; a neighbour is
    // selected, or the video area and the slider are reset when none is left.
    void RemoveSelected();
    // Remove all (button 1014); resets the video area and the slider also on an empty list.
    void RemoveAll();

    // The text of the notice for files that cannot be read; each entry is "path: reason".
    static QString UnreadableText(const QStringList &refused);

private:
    // No job left: nothing selected, the video window blank, the slider at 0..120 s.
    void ShowNoJob();

    CMivartelDlg &m_page;
    ChooseFiles m_chooseFiles;
    // Where the dialog opens: the folder of the last source added, at first the user's videos.
    QString m_folder;
};
