#include "page/pagecontroltable.h"

#include "controls/ccelllistctrl.h"
#include "controls/cfadeinpicture.h"
#include "controls/cimagebutton.h"
#include "controls/crangeslider.h"
#include "media/cvideoedit.h"
#include "page/cmivarteldlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {

template<auto Member>
QWidget *MemberOf(const CMivartelDlg &page)
{
    return page.*Member;
}

} // namespace

const std::array<PageControlRow, PageControlTable::Count> &PageControlTable::Rows()
{
    namespace Id = PageControl;
    using P = CMivartelDlg;
    using Look = PageControlRow::Look;
    // clang-format off
    static const std::array<PageControlRow, Count> rows{{
        {Id::VideoEdit, {13, 17, 263, 198}, {}, "Video", MemberOf<&P::m_videoEdit>},
        {Id::FadeInPicture, {13, 17, 263, 198}, {}, "Picture", MemberOf<&P::m_fadeIn>},
        {Id::Preview, {13, 232, 18, 18}, Look{188, 189, "Preview selected videos"}, "Preview",
         MemberOf<&P::m_preview>},
        {Id::StopPreview, {31, 232, 18, 18}, Look{190, 191, "Stop preview"}, "Stop preview",
         MemberOf<&P::m_stopPreview>},
        {Id::RangeSlider, {52, 233, 224, 20}, {}, "Range to convert", MemberOf<&P::m_slider>},
        {Id::OutputSettingGroup, {286, 12, 368, 240}, {}, nullptr, MemberOf<&P::m_outputGroup>},
        {Id::OutputTypeLabel, {300, 30, 100, 18}, {}, nullptr, MemberOf<&P::m_outputTypeLabel>},
        {Id::OutputType, {410, 28, 231, 18}, {}, "Output type", MemberOf<&P::m_outputType>},
        {Id::Description, {300, 53, 342, 60}, {}, nullptr, MemberOf<&P::m_description>},
        {Id::ProfileLabel, {300, 115, 80, 18}, {}, nullptr, MemberOf<&P::m_profileLabel>},
        {Id::ProfileList, {300, 130, 342, 95}, {}, "Profile", MemberOf<&P::m_profiles>},
        {Id::ShutDownBox, {300, 231, 342, 18}, {}, nullptr, MemberOf<&P::m_shutDown>},
        {Id::JobGroup, {13, 258, 640, 200}, {}, nullptr, MemberOf<&P::m_jobGroup>},
        {Id::OutputDirectoryLabel, {23, 269, 95, 18}, {}, nullptr,
         MemberOf<&P::m_outputDirectoryLabel>},
        {Id::OutputDirectory, {127, 269, 435, 18}, {}, "Output directory",
         MemberOf<&P::m_outputDirectory>},
        {Id::Browse, {567, 269, 65, 18}, {}, nullptr, MemberOf<&P::m_browse>},
        {Id::JobList, {23, 294, 587, 156}, {}, "Videos to convert", MemberOf<&P::m_jobList>},
        {Id::Add, {621, 313, 22, 22}, Look{138, 137, "Add a video to converting task"}, "Add",
         MemberOf<&P::m_add>},
        {Id::Remove, {621, 353, 22, 22}, Look{136, 135, "Remove selected video"}, "Remove",
         MemberOf<&P::m_remove>},
        {Id::RemoveAll, {621, 393, 22, 22}, Look{140, 139, "Remove all videos"}, "Remove all",
         MemberOf<&P::m_removeAll>},
        {Id::Help, {535, 485, 32, 32}, Look{141, 142, "Contents"}, "Help", MemberOf<&P::m_help>},
        {Id::StartConverting, {576, 470, 55, 55}, Look{147, 148, "Start Converting"},
         "Start converting", MemberOf<&P::m_start>},
        {Id::StopConverting, {576, 470, 55, 55}, Look{145, 146, "Stop Converting"},
         "Stop converting", MemberOf<&P::m_stop>},
    }};
    // clang-format on
    return rows;
}

const PageControlRow *PageControlTable::Find(int id)
{
    for (const PageControlRow &row : Rows()) {
        if (row.id == id)
            return &row;
    }
    return nullptr;
}
