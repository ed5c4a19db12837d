#pragma once

#include "controls/crangeslider.h"
#include "engine/conversionjob.h"
#include "page/pageparts.h"

#include <QString>
#include <QTimer>

// The video area's handling of the selected job: selecting a job, its picture at a time, the
// slider's changes that trim it, Preview and Stop preview, the end of a playback, and clicks
// on the job list. Every user action is ignored while a batch runs.
class PreviewTrim
{
public:
    explicit PreviewTrim(const PageParts &parts);

    // Job `index` becomes the selected one and is shown: its range on the slider, its picture
    // at its begin, its row selected. Only the choice changes for an index outside the list.
    void SelectJob(int index);
    // The job shown in the video area and edited by the slider; -1 for none.
    int selectedJob() const { return m_selectedJob; }
    // Changes the choice alone, showing nothing.
    void SetSelectedJob(int index) { m_selectedJob = index; }
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
    // time cells. At the end of a drag (released) and after a key, the thumbs are put on whole
    // seconds, as the cells show them; a drag's end then shows the picture of the dragged end,
    // and so do the keys once they have rested for KeyRestMs: for Begin the frame at Begin,
    // for End the last frame before it, which is the last one the output holds.
    void OnRangeChanged(CRangeSlider::Part part, bool released);
    // Longer than a held key's first repeat, so that a held key shows one picture at its end.
    static constexpr int KeyRestMs = 600;
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
    // 1 while a single picture is under way; further picture requests are dropped.
    int framePreviewing() const { return m_framePreview; }

private:
    // The job at the list's selection mark, -1 when the mark is no job.
    int MarkedJob() const;
    // Puts the thumbs on whole seconds, at least one apart; see OnRangeChanged.
    void SnapSlider(int part, double oldBegin, double oldEnd, bool byKey);
    // The keys have rested: the picture of the end they moved last.
    void ShowKeyedPicture();
    // Where the job's last kept frame is on screen (seconds into its source).
    static double LastKeptTime(const ConversionJob &job);

    PageParts m_parts;
    int m_selectedJob = -1;
    // 1 while this class itself moves the slider: its notifications then change no job.
    int m_sliderUpdating = 0;
    int m_framePreview = 0;
    int m_fullPreview = 0;
    QTimer m_keyRest;
    CRangeSlider::Part m_keyedPart = CRangeSlider::LeftThumb;
};
