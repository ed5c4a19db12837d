#include "page/cmivarteldlg.h"

#include "controls/ccelllistctrl.h"
#include "controls/cfadeinpicture.h"
#include "controls/cimagebutton.h"
#include "controls/crangeslider.h"
#include "controls/respicture.h"
#include "engine/cellrepainter.h"
#include "engine/commandtemplate.h"
#include "engine/intermediatetranscode.h"
#include "engine/jobcelltext.h"
#include "engine/outputtypes.h"
#include "engine/profilelist.h"
#include "engine/queuesaver.h"
#include "engine/usersettings.h"
#include "media/cvideoedit.h"
#include "page/bringtofront.h"
#include "page/focusmarks.h"
#include "page/helpwindow.h"
#include "page/jobannouncer.h"
#include "page/jobcellprovider.h"
#include "page/joblistcolumns.h"
#include "page/jobmenu.h"
#include "page/messageboxnotices.h"
#include "page/pagebatch.h"
#include "page/pagekeys.h"
#include "page/pagesources.h"
#include "page/previewtrim.h"
#include "page/sourcedrop.h"
#include "page/sourcequeue.h"
#include "page/textfitter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionHeader>

namespace {

QString WithSlash(QString directory)
{
    if (!directory.endsWith(QLatin1Char('/')))
        directory += QLatin1Char('/');
    return directory;
}

} // namespace

CMivartelDlg::CMivartelDlg(PageServices services, QWidget *parent)
    : QWidget(parent)
    , m_services(std::move(services))
    , m_background(ResPicture(QStringLiteral(":/res/bitmap_185.png"), devicePixelRatioF()))
{
    if (m_services.programDirectory.isEmpty())
        m_services.programDirectory = QCoreApplication::applicationDirPath();
    if (!m_services.notices)
        m_services.notices = std::make_unique<MessageBoxNotices>();
    if (!m_services.chooseFolder) {
        m_services.chooseFolder = [](QWidget *owner, const QString &start) {
            return QFileDialog::getExistingDirectory(owner, QString(), start);
        };
    }
    if (!m_services.openUrl)
        m_services.openUrl = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
    m_engine.state.SetProgramDirectory(m_services.programDirectory);

    setAttribute(Qt::WA_OpaquePaintEvent);
    SetPageFont();
    CreateControls();

    m_transcode = std::make_unique<IntermediateTranscode>(m_engine.state, m_videoEdit->exporter());
    m_engine.batch.SetIntermediateExporter(m_transcode.get());
    m_cells = std::make_unique<JobCellProvider>(m_engine.state, *m_jobList);
    m_jobList->SetCellInfoProvider(m_cells.get());
    m_announcer = std::make_unique<JobAnnouncer>(m_engine.state, *m_cells, *m_jobList);
    m_engine.state.repainter = m_announcer.get();
    const PageParts parts{
        *this, m_engine.state, *m_jobList, *m_slider, *m_videoEdit, *m_fadeIn, *m_services.notices};
    m_batchControl = std::make_unique<PageBatch>(
        parts,
        BatchControls{
            *m_start, *m_stop, *m_outputType, *m_profiles, *m_shutDown, *m_outputDirectory},
        m_engine,
        m_services.batchEnded,
        std::move(m_services.powerOff));
    m_batchControl->SetProgressListener(m_services.batchProgress);
    m_previewTrim = std::make_unique<PreviewTrim>(parts);
    m_sources = std::make_unique<PageSources>(parts, *m_previewTrim);
    new PageKeys(parts, *m_previewTrim);
    new SourceDrop(parts, *m_sources);
    new JobMenu(parts, *m_batchControl, *m_sources, *m_previewTrim, m_services.openUrl);
    // Files that arrive during a batch wait for its end.
    connect(m_batchControl.get(), &PageBatch::batchStarted, this, [this] {
        m_sources->queue().OnBatchStarted();
    });
    connect(m_batchControl.get(), &PageBatch::batchUnwound, this, [this] {
        m_sources->queue().OnBatchUnwound();
        // The batch's end changes no job, yet the file must stop naming a running one.
        if (m_saver)
            m_saver->SaveNow();
    });
    if (!m_services.savedJobsPath.isEmpty())
        m_saver = std::make_unique<QueueSaver>(m_engine.state, m_services.savedJobsPath);

    connect(m_start, &QPushButton::clicked, this, &CMivartelDlg::StartConverting);
    connect(m_stop, &QPushButton::clicked, this, &CMivartelDlg::StopConverting);
    connect(m_browse, &QPushButton::clicked, this, &CMivartelDlg::OnBrowse);
    connect(m_help, &QPushButton::clicked, this, &CMivartelDlg::OnHelp);
    connect(m_add, &QPushButton::clicked, this, [this] { m_sources->OnAdd(); });
    connect(m_remove, &QPushButton::clicked, this, [this] { m_sources->RemoveSelected(); });
    connect(m_removeAll, &QPushButton::clicked, this, [this] { m_sources->RemoveAll(); });
    connect(m_preview, &QPushButton::clicked, this, [this] { m_previewTrim->Preview(); });
    connect(m_stopPreview, &QPushButton::clicked, this, [this] { m_previewTrim->StopPreview(); });
    connect(m_slider,
            &CRangeSlider::rangeChanged,
            this,
            [this](CRangeSlider::Part part, bool released) {
                m_previewTrim->OnRangeChanged(part, released);
            });
    connect(m_videoEdit, &CVideoEdit::PlaybackFinished, this, [this] {
        m_previewTrim->OnPlaybackFinished();
    });
    connect(
        m_jobList, &CCellListCtrl::cellClicked, this, [this] { m_previewTrim->OnListClicked(); });
    connect(m_jobList, &CCellListCtrl::cellDoubleClicked, this, [this] {
        m_previewTrim->OnListClicked();
    });
}

CMivartelDlg::~CMivartelDlg()
{
    if (m_engine.state.converting)
        StopConverting();
    // The controls outlive the members they point at by a moment (children go last).
    m_engine.state.repainter = nullptr;
    m_jobList->SetCellInfoProvider(nullptr);
}

void CMivartelDlg::SetPageFont()
{
    // The rectangles were laid out for an 8-point interface font; the desktop's usual 10 points
    // would not fit the labels, the entries and the check box text.
    QFont pageFont = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    pageFont.setPointSizeF(PageFontPoints);
    setFont(pageFont);
}

void CMivartelDlg::FitTexts()
{
    // Where a text does not fit its rectangle at the page's size, its control alone gets the
    // largest half-point size below it at which it does; the text is never cut. Measured
    // with the skin on, whose paddings take room too.
    QStringList entries;
    for (int i = 0; i < m_outputType->count(); ++i)
        entries.append(m_outputType->itemText(i));
    QStringList headings;
    for (int column = 0; column < m_jobList->GetColumnCount(); ++column)
        headings.append(m_jobList->model()->headerData(column, Qt::Horizontal).toString());
    // The widest Progress text of a usual batch: hours, a two-digit size, three-digit speed.
    ConversionJob busy = ConversionJob::ForSource(QString(), 35999.0);
    busy.stage = JobStage::FirstPass;
    busy.encodedTime = 35999.0;
    busy.sizeKB = 99999;
    busy.framesPerSecond = 999.99;
    QStringList cells(JobColumn::Progress + 1);
    cells[JobColumn::Progress] = ProgressCellOf(busy).text;
    const QList<QPair<QWidget *, QStringList>> texts{
        {m_outputTypeLabel, {m_outputTypeLabel->text()}},
        {m_profileLabel, {m_profileLabel->text()}},
        {m_outputDirectoryLabel, {m_outputDirectoryLabel->text()}},
        {m_shutDown, {m_shutDown->text()}},
        {m_browse, {m_browse->text()}},
        {m_outputType, entries},
        {m_jobList->horizontalHeader(), headings},
        {m_jobList, cells},
    };
    TextFitter::Fit(texts, PageFontPoints, MinimumFontPoints);
}

void CMivartelDlg::CreateControls()
{
    // Created back to front: the frames first, the picture over the video window last.
    m_outputGroup = new QGroupBox(QStringLiteral("Output Setting"), this);
    m_jobGroup = new QGroupBox(this);
    m_videoEdit = new CVideoEdit(this);
    m_fadeIn = new CFadeInPicture(this);
    m_preview = new CImageButton(this);
    m_stopPreview = new CImageButton(this);
    m_slider = new CRangeSlider(this);
    m_outputTypeLabel = new QLabel(QStringLiteral("Select Output Type:"), this);
    m_outputType = new QComboBox(this);
    for (const OutputTypeInfo &type : profileFileTable)
        m_outputType->addItem(QLatin1String(type.comboText));
    m_description = new QLabel(this);
    m_description->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_description->setWordWrap(true);
    m_description->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_profileLabel = new QLabel(QStringLiteral("Select Profile:"), this);
    m_profiles = new QListWidget(this);
    m_profiles->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_shutDown = new QCheckBox(
        QStringLiteral("Automatically Shut Down the computer when converting finished"), this);
    m_outputDirectoryLabel = new QLabel(QStringLiteral("Output Directory:"), this);
    m_outputDirectory = new QLineEdit(this);
    m_browse = new QPushButton(QStringLiteral("Browse"), this);
    m_jobList = new CCellListCtrl(nullptr, this);
    m_add = new CImageButton(this);
    m_remove = new CImageButton(this);
    m_removeAll = new CImageButton(this);
    m_help = new CImageButton(this);
    m_start = new CImageButton(this);
    m_stop = new CImageButton(this);

    for (const PageControlRow &row : PageControlTable::Rows()) {
        QWidget *control = row.member(*this);
        control->setObjectName(QStringLiteral("control%1").arg(row.id));
        control->setGeometry(row.rect);
        // Pictures, and the fields whose label stands beside them, say nothing by themselves.
        if (row.accessibleName)
            control->setAccessibleName(QLatin1String(row.accessibleName));
    }
    // Tab follows the page's reading order: the settings, the jobs, the video area, the batch.
    const QList<QWidget *> order{m_outputType,
                                 m_profiles,
                                 m_browse,
                                 m_shutDown,
                                 m_jobList,
                                 m_add,
                                 m_remove,
                                 m_removeAll,
                                 m_slider,
                                 m_preview,
                                 m_stopPreview,
                                 m_help,
                                 m_start,
                                 m_stop};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    new FocusMarks(this, {m_outputType, m_profiles, m_browse, m_shutDown, m_outputDirectory});
    // On Linux a reader names a field by the label it is labelled by.
    m_outputTypeLabel->setBuddy(m_outputType);
    m_profileLabel->setBuddy(m_profiles);
    m_outputDirectoryLabel->setBuddy(m_outputDirectory);
    // The thumbs read as the cells show the range.
    m_slider->SetValueText([](double seconds) { return ClockTime(seconds); });
}

QWidget *CMivartelDlg::Control(int id) const
{
    const PageControlRow *row = PageControlTable::Find(id);
    return row ? row->member(*this) : nullptr;
}

void CMivartelDlg::OnInitDialog()
{
    QString version = UserSettings::Version();
    // Without a stored version the title would end in a bare "V".
    if (version.isEmpty())
        version = QStringLiteral(MIVARTEL_VERSION);
    window()->setWindowTitle(QStringLiteral("  %1 V%2").arg(QStringLiteral("Mivartel"), version));

    if (m_services.skinSelfDrawn) {
        for (const PageControlRow &row : PageControlTable::Rows()) {
            if (row.isPictureButton())
                m_services.skinSelfDrawn(row.member(*this));
        }
    }
    InsertJobListColumns(*m_jobList);
    ConfigureImageButtons();
    m_outputDirectory->setEnabled(false);

    m_previewTrim->SetSlider(0.0, 120.0, 0.0, 120.0);

    m_stop->hide();
    m_videoEdit->hide();
    m_fadeIn->StartFadeIn(190, 100);

    int outputType = UserSettings::OutputType();
    if (!IsValidOutputType(outputType))
        outputType = 0;
    m_outputType->setCurrentIndex(outputType);
    m_engine.state.outputType = outputType;
    m_engine.state.evenLoudness = UserSettings::EvenLoudness();
    LoadProfileList(outputType);
    OnProfileChosen();
    connect(
        m_outputType, &QComboBox::currentIndexChanged, this, &CMivartelDlg::OnOutputTypeChanged);
    connect(m_profiles, &QListWidget::currentTextChanged, this, [this](const QString &title) {
        if (!title.isEmpty())
            UserSettings::SetProfileTitle(m_engine.state.outputType, title);
        OnProfileChosen();
    });

    ReadOutputDirectory();
    // Never a batch by itself: the jobs come back as they were, waiting for Start.
    if (m_saver)
        m_sources->ListSaved(m_saver->Restore().jobs);
    if (m_services.closeSplash)
        m_services.closeSplash();
}

void CMivartelDlg::ConfigureImageButtons()
{
    for (const PageControlRow &row : PageControlTable::Rows()) {
        if (!row.isPictureButton())
            continue;
        auto *button = static_cast<CImageButton *>(row.member(*this));
        button->SetIcons(row.look.activeIcon, row.look.restIcon, false);
        button->UseParentBackground(false);
        button->ShowHoverBorder(false, true);
        button->SetLayout(CImageButton::IconAbove, true);
        button->SetStateColor(CImageButton::TextNormal, QColor(49, 66, 97), true);
        button->SetStateColor(CImageButton::TextActive, QColor(20, 20, 20), true);
        button->SetStateColor(CImageButton::TextFocused, QColor(49, 66, 97), true);
        button->SetStateColor(CImageButton::BackActive, QColor(49, 66, 97), true);
        button->SetTip(QLatin1String(row.look.tip), true);
    }
}

void CMivartelDlg::ReadOutputDirectory()
{
    QString directory = UserSettings::Destination();
    if (directory.isEmpty()) {
        // There is no drive D: here; the user's videos folder takes its place.
        directory = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
        if (directory.isEmpty() || !QFileInfo(directory).isDir())
            directory = QDir::homePath();
    }
    m_engine.state.outputDirectory = WithSlash(directory);
    m_outputDirectory->setText(m_engine.state.outputDirectory);
}

void CMivartelDlg::LoadProfileList(int outputType)
{
    const std::optional<ProfileList> list
        = ::LoadProfileList(m_engine.catalog, m_engine.state.engineDirectory, outputType);
    if (!list)
        return;
    m_description->setText(list->description);
    // Refilling is no choice of the user's: the stored profile stays.
    const QSignalBlocker quiet(m_profiles);
    m_profiles->clear();
    m_profiles->addItems(list->titles);
    // A title longer than the list is wide can still be read whole.
    for (int row = 0; row < m_profiles->count(); ++row)
        m_profiles->item(row)->setToolTip(m_profiles->item(row)->text());
    // The profile last chosen for this type, while the file still has it.
    const int stored = list->titles.indexOf(UserSettings::ProfileTitle(outputType));
    m_profiles->setCurrentRow(stored >= 0 ? stored : list->selected);
}

void CMivartelDlg::OnProfileChosen()
{
    // The batch reads the profile while it runs; the list is disabled until it ends.
    if (m_engine.state.converting)
        return;
    m_engine.state.selectedProfile = m_profiles->currentRow();
    m_cells->SetSizeBound(m_engine.pipeline.SelectedSizeBound());
    m_jobList->RepaintCells(0, m_engine.state.jobs.count() - 1, JobColumn::Output);
}

void CMivartelDlg::OnOutputTypeChanged()
{
    // The box is disabled during a batch; the engine reads the output type while it runs.
    if (m_engine.state.converting)
        return;
    const int outputType = m_outputType->currentIndex();
    LoadProfileList(outputType);
    m_engine.state.outputType = outputType;
    UserSettings::SetOutputType(outputType);
    // The extension and the expected size in the Output column follow the output type.
    OnProfileChosen();
}

void CMivartelDlg::StartConverting()
{
    m_batchControl->StartConverting();
}

void CMivartelDlg::StopConverting()
{
    m_batchControl->StopConverting();
}

void CMivartelDlg::OnBrowse()
{
    if (m_engine.state.converting)
        return;
    const QString folder = m_services.chooseFolder(this, m_engine.state.outputDirectory);
    if (!folder.isEmpty()) {
        m_engine.state.outputDirectory = folder;
        m_outputDirectory->setText(folder);
        m_engine.state.outputDirectory = WithSlash(m_engine.state.outputDirectory);
    }
    if (!m_engine.state.outputDirectory.isEmpty())
        UserSettings::SetDestination(m_engine.state.outputDirectory);
}

QString CMivartelDlg::HelpPath() const
{
    return m_engine.state.programDirectory + QLatin1String("help/help.html");
}

void CMivartelDlg::OnHelp()
{
    if (m_engine.state.converting)
        return;
    if (m_services.openUrl(QUrl::fromLocalFile(HelpPath())))
        return;
    // No viewer on this desktop: the program shows the document itself, in one window.
    if (!m_helpWindow)
        m_helpWindow = new HelpWindow(HelpPath(), this);
    BringToFront(m_helpWindow);
}

void CMivartelDlg::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Polishing gives the list's header the desktop's font for headers, and the skin adds its
    // paddings: the texts are measured once both are in place.
    if (!m_textsFitted) {
        m_textsFitted = true;
        FitTexts();
    }
}

void CMivartelDlg::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(rect(), m_background);
}
