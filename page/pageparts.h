#pragma once

class CCellListCtrl;
class CFadeInPicture;
class CRangeSlider;
class CVideoEdit;
class Notices;
class QWidget;
struct SharedState;

// What the page's helpers work on, all owned by the page and living as long as it: the page
// itself as the owner of notices, dialogs, drops and keys; the shared state with the job
// list; and the controls of the list and the video area.
struct PageParts
{
    QWidget &page;
    SharedState &state;
    CCellListCtrl &jobList;
    CRangeSlider &slider;
    CVideoEdit &video;
    CFadeInPicture &fadeIn;
    Notices &notices;
};
