#pragma once

#include "engine/conversionengine.h"
#include "page/pagecontroltable.h"
#include "page/pageservices.h"

#include <QPixmap>
#include <QSize>
#include <QWidget>

#include <memory>

class CCellListCtrl;
class CFadeInPicture;
class CImageButton;
class CRangeSlider;
class CVideoEdit;
class HelpWindow;
class IntermediateTranscode;
class JobAnnouncer;
class JobCellProvider;
class PageBatch;
class PageSources;
class PreviewTrim;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QueueSaver;

// The main page: every control of the program, the job list, the shared state and the
// engine that converts it. It is a switchboard: the batch concern lives in PageBatch, adding
// and trimming sources in PageSources, the cell contents in JobCellProvider; each handler
// here checks `converting` and hands over.
class CMivartelDlg : public QWidget
{
    Q_OBJECT

public:
    // The size of the page (pixels); PageControlTable places the controls on it.
    static constexpr QSize PageSize{669, 563};
    // The page's font size, and the least a text that does not fit at it may get.
    static constexpr qreal PageFontPoints = 8.0;
    static constexpr qreal MinimumFontPoints = 6.0;

    explicit CMivartelDlg(PageServices services = {}, QWidget *parent = nullptr);
    // Stops a running batch first; the window that hosts the page makes sure that no engine
    // loop is still running by then.
    ~CMivartelDlg() override;

    // The page's initialisation once it sits in its window: the window's title, the skin, the
    // output folder from the settings, the profiles of output type 0, the splash closed.
    void OnInitDialog();

    // Start and Stop Converting (the buttons' handlers).
    void StartConverting();
    void StopConverting();
    void OnOutputTypeChanged();
    // Keeps the profile the user chose in the shared state, for the Output column's tips.
    void OnProfileChosen();
    void LoadProfileList(int outputType);
    void OnBrowse();
    // Opens the help document with the desktop's viewer, or where there is none in the
    // program's own help window.
    void OnHelp();

    int converting() const { return m_engine.state.converting; }
    SharedState &state() { return m_engine.state; }
    Notices &notices() { return *m_services.notices; }
    const PageServices &services() const { return m_services; }
    PageBatch &batch() { return *m_batchControl; }
    PageSources &sources() { return *m_sources; }
    PreviewTrim &previewTrim() { return *m_previewTrim; }
    BatchConversion &batchConversion() { return m_engine.batch; }
    ConversionPipeline &pipeline() { return m_engine.pipeline; }
    IntermediateTranscode &transcode() { return *m_transcode; }
    // The path of the help document.
    QString HelpPath() const;

    // The control of a PageControl id; null for an id that is not the page's.
    QWidget *Control(int id) const;
    CVideoEdit *videoEdit() const { return m_videoEdit; }
    CFadeInPicture *fadeInPicture() const { return m_fadeIn; }
    CImageButton *previewButton() const { return m_preview; }
    CImageButton *stopPreviewButton() const { return m_stopPreview; }
    CRangeSlider *rangeSlider() const { return m_slider; }
    QComboBox *outputTypeBox() const { return m_outputType; }
    QLabel *descriptionBox() const { return m_description; }
    QListWidget *profileList() const { return m_profiles; }
    QCheckBox *shutDownBox() const { return m_shutDown; }
    QLineEdit *outputDirectoryField() const { return m_outputDirectory; }
    QPushButton *browseButton() const { return m_browse; }
    CCellListCtrl *jobList() const { return m_jobList; }
    CImageButton *addButton() const { return m_add; }
    CImageButton *removeButton() const { return m_remove; }
    CImageButton *removeAllButton() const { return m_removeAll; }
    CImageButton *helpButton() const { return m_help; }
    CImageButton *startButton() const { return m_start; }
    CImageButton *stopButton() const { return m_stop; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // The table names the members that hold the controls.
    friend class PageControlTable;

    void CreateControls();
    void ConfigureImageButtons();
    void ReadOutputDirectory();
    void SetPageFont();
    void FitTexts();

    PageServices m_services;
    ConversionEngine m_engine;
    QPixmap m_background;
    bool m_textsFitted = false;

    CVideoEdit *m_videoEdit = nullptr;
    CFadeInPicture *m_fadeIn = nullptr;
    CImageButton *m_preview = nullptr;
    CImageButton *m_stopPreview = nullptr;
    CRangeSlider *m_slider = nullptr;
    QGroupBox *m_outputGroup = nullptr;
    QLabel *m_outputTypeLabel = nullptr;
    QComboBox *m_outputType = nullptr;
    QLabel *m_description = nullptr;
    QLabel *m_profileLabel = nullptr;
    QListWidget *m_profiles = nullptr;
    QCheckBox *m_shutDown = nullptr;
    QGroupBox *m_jobGroup = nullptr;
    QLabel *m_outputDirectoryLabel = nullptr;
    QLineEdit *m_outputDirectory = nullptr;
    QPushButton *m_browse = nullptr;
    CCellListCtrl *m_jobList = nullptr;
    CImageButton *m_add = nullptr;
    CImageButton *m_remove = nullptr;
    CImageButton *m_removeAll = nullptr;
    CImageButton *m_help = nullptr;
    CImageButton *m_start = nullptr;
    CImageButton *m_stop = nullptr;
    HelpWindow *m_helpWindow = nullptr; // made when first needed; a child of the page

    std::unique_ptr<IntermediateTranscode> m_transcode;
    std::unique_ptr<JobCellProvider> m_cells;
    std::unique_ptr<JobAnnouncer> m_announcer;
    std::unique_ptr<PageBatch> m_batchControl;
    std::unique_ptr<PreviewTrim> m_previewTrim;
    std::unique_ptr<PageSources> m_sources;
    // Declared last: destroyed first, it saves the list once more while the state exists.
    std::unique_ptr<QueueSaver> m_saver;
};
