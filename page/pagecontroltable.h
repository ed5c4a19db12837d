#pragma once

#include <QRect>

#include <array>

class CMivartelDlg;
class QWidget;

// The ids of the page's controls.
namespace PageControl {
enum : int {
    JobList = 1011,
    Add = 1012,
    Remove = 1013,
    RemoveAll = 1014,
    Help = 1016,
    OutputDirectory = 1021,
    Browse = 1022,
    OutputDirectoryLabel = 1034,
    RangeSlider = 1047,
    StartConverting = 1048,
    StopConverting = 1049,
    OutputSettingGroup = 1052,
    VideoEdit = 1053,
    Preview = 1054,
    StopPreview = 1055,
    FadeInPicture = 1058,
    ShutDownBox = 1059,
    OutputType = 1061,
    ProfileList = 1065,
    Description = 1066,
    JobGroup = 1069,
    OutputTypeLabel = 1070,
    ProfileLabel = 1071,
};
}

// All that the page says of one of its controls.
struct PageControlRow
{
    // The icons and tooltip of a picture button (CImageButton); no icons for other controls.
    struct Look
    {
        int activeIcon = 0; // shown while the mouse is over it or it is pressed
        int restIcon = 0;
        const char *tip = nullptr;
    };

    int id;
    QRect rect; // pixels on the page, laid out for an 8-point font
    Look look;
    // What a screen reader calls a control whose own text, or the label beside it, does not
    // say it; null for the others.
    const char *accessibleName;
    // The page's member that holds the control.
    QWidget *(*member)(const CMivartelDlg &page);

    bool isPictureButton() const { return look.activeIcon != 0; }
};

// The page's controls, one row each, in the order of their places from the video area to the
// batch's buttons.
class PageControlTable
{
public:
    static constexpr int Count = 23;
    static const std::array<PageControlRow, Count> &Rows();
    // Null for an id that is not the page's.
    static const PageControlRow *Find(int id);
};
