#pragma once

#include <QString>

class CMivartelDlg;

// The page's sources: adding a source file as a job, showing a picture of it in the video
// window and selecting its row.
class PageSources
{
public:
    explicit PageSources(CMivartelDlg &page);

    // Measures the file, appends a job for the whole of it, puts its range on the slider,
    // shows its picture at 1 s and selects its row. False, with nothing appended, when the
    // file cannot be measured.
    bool AddSourcePath(const QString &path);
    // Shows the picture of the file at `seconds` (a one-second playback that stops on its
    // own); dropped while another picture is being shown. Errors of the media component are
    // dropped.
    void ShowPicture(const QString &file, double seconds);
    // Selects the row, gives the list the focus and scrolls the row into view.
    void SelectRow(int row);

private:
    // Sets the slider's bounds and positions without changing any job.
    void SetSlider(double lower, double upper, double left, double right);

    CMivartelDlg &m_page;
};
