#pragma once

#include <QString>

class CMivartelDlg;

// The video area's handling of the selected job: selecting a job, its picture at a time, the
// slider's changes that trim it, Preview and Stop preview, the end of a playback, and clicks
// on the job list. Every user action is ignored while a batch runs.
class PreviewTrim
{
public:
    explicit PreviewTrim(CMivartelDlg &page);

    // Shows job `index` (the caller has set selectedJobIndex): its range on the slider, its
    // picture at its begin, its row selected. Nothing for an index outside the list.
    void SelectJob(int index);
    // Shows the frame of the file at `seconds` (at 1 s, or the end of a shorter file, when that
    // lies beyond the file's end): a playback of no length that stops on its own. Dropped while
    // an earlier picture is still playing; a file that cannot be read shows nothing and blocks
    // no later picture.
    void ShowPicture(const QString &file, double seconds);
    // The picture of a job that has just become the selected one: a picture of another job
    // still playing is stopped first, so that the video area never shows the wrong job.
    void ShowJobPicture(const QString &file, double seconds);
    // Sets the slider's bounds and positions without changing any job.
    void SetSlider(double lower, double upper, double left, double right);

    // The slider's notification: trims the job at the list's selection mark and repaints its
    // time cells. At the end of a drag (lParam 1) and after a key, the thumbs are put on whole
    // seconds, as the cells show them; a drag's end then shows the picture of the dragged end.
    void OnRangeChanged(int wParam, int lParam);
    // Preview (button 1054): plays the selected job's range with its sound.
    void Preview();
    // Stop preview (button 1055).
    void StopPreview();
    // The video control's PlaybackFinished.
    void OnPlaybackFinished();
    // Any click on the job list: the job at the selection mark becomes the selected one, or the
    // selected row is selected again.
    void OnListClicked();

    // 1 from Preview until Stop preview or the next picture request.
    int fullPreviewing() const { return m_fullPreview; }

private:
    // The job at the list's selection mark, -1 when the mark is no job.
    int MarkedJob() const;
    // Puts the thumbs on whole seconds, at least one apart; see OnRangeChanged.
    void SnapSlider(int part, double oldBegin, double oldEnd, bool byKey);

    CMivartelDlg &m_page;
    int m_fullPreview = 0;
};
