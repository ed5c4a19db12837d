#include "shell/cmivartelapp.h"

#include "engine/joblistfile.h"
#include "engine/outputtypes.h"
#include "engine/sharedstate.h"
#include "engine/terminationsignals.h"
#include "page/bringtofront.h"
#include "page/cmivarteldlg.h"
#include "page/pageservices.h"
#include "page/pagesources.h"
#include "shell/couterdlg.h"
#include "shell/singleinstance.h"
#include "shell/skincomponent.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace {

const QString SkinFileName = QStringLiteral("Virurez.skf");

} // namespace

CMivartelApp::CMivartelApp(const QStringList &files)
{
    for (const QString &file : files)
        m_files.append(QFileInfo(file).absoluteFilePath());
}

CMivartelApp::~CMivartelApp()
{
    m_outer.reset();
    m_signals.reset();
}

bool CMivartelApp::HasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY")
           || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
           || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

void CMivartelApp::ChooseMediaBackend()
{
    // The GStreamer back end crashes without its plugins and hangs on RealMedia.
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "ffmpeg");
}

int CMivartelApp::Run()
{
    if (const std::optional<int> status = ClaimInstance(QDBusConnection::sessionBus()))
        return *status;
    InitInstance();
    QApplication::exec();
    // From here on a start would hand its files to a window that is going away.
    m_instance.reset();
    return ExitInstance();
}

std::optional<int> CMivartelApp::ClaimInstance(const QDBusConnection &bus)
{
    m_instance = std::make_unique<SingleInstance>(bus);
    switch (m_instance->Start(m_files)) {
    case SingleInstance::Role::HandedOver:
        return 0;
    case SingleInstance::Role::Unanswered:
        std::fputs("mivartel: the running Mivartel window did not answer\n", stderr);
        return 1;
    case SingleInstance::Role::First:
    case SingleInstance::Role::Alone:
        break;
    }
    QObject::connect(m_instance.get(),
                     &SingleInstance::activated,
                     m_instance.get(),
                     [this](const QStringList &files) { OnActivated(files); });
    return std::nullopt;
}

void CMivartelApp::OnActivated(const QStringList &files)
{
    // The splash waits for its painting in an event loop, so a call can come before the
    // window exists; InitInstance adds these with the command line's.
    if (!m_outer) {
        m_files += files;
        return;
    }
    BringToFront(m_outer.get());
    if (!files.isEmpty())
        m_outer->page()->sources().AddSourcePaths(files);
}

void CMivartelApp::InitInstance()
{
    SharedState paths;
    paths.SetProgramDirectory(QCoreApplication::applicationDirPath());
    m_programDirectory = paths.programDirectory;
    WarnAboutMissingFiles();

    // The skin must be on before the first window exists.
    m_skin = std::make_unique<SkinComponent>();
    m_skin->Initialize(0);
    m_skin->EnableSkin(1);
    m_skin->LoadSkinFile(m_programDirectory + SkinFileName);
    m_skin->ApplySkin();

    m_splash.Start();
    PageServices services;
    services.programDirectory = m_programDirectory;
    services.savedJobsPath = JobListFile::DefaultPath();
    services.closeSplash = [this] { m_splash.Close(); };
    m_outer = std::make_unique<COuterDlg>(std::move(services), m_skin.get());
    m_outer->show();
    CatchTerminationSignals();
    // What a file manager's "Open With" passes: added as Add adds them.
    if (!m_files.isEmpty())
        m_outer->page()->sources().AddSourcePaths(m_files);
}

int CMivartelApp::ExitInstance()
{
    m_outer.reset();
    if (m_skin)
        m_skin->Finish();
    return 0;
}

void CMivartelApp::WarnAboutMissingFiles() const
{
    SharedState paths;
    paths.SetProgramDirectory(m_programDirectory);
    bool anyProfile = false;
    for (int type = 0; type < int(profileFileTable.size()); ++type)
        anyProfile = anyProfile || QFileInfo(ProfilePath(paths.engineDirectory, type)).isFile();
    if (!anyProfile)
        std::fprintf(stderr, "mivartel: no profiles in %s/\n", qPrintable(paths.engineDirectory));
    if (!QFileInfo(m_programDirectory + SkinFileName).isFile())
        std::fprintf(
            stderr, "mivartel: no skin file %s\n", qPrintable(m_programDirectory + SkinFileName));
}

void CMivartelApp::CatchTerminationSignals()
{
    // The same road as the window's close box: a running batch stops first.
    m_signals = std::make_unique<TerminationSignals>(
        [this] {
            if (m_outer)
                m_outer->close();
        },
        TerminationSignals::SecondSignal::Deliver);
}
