#include "csplashthread.h"

#include "csplashdlg.h"

#include <QEventLoop>
#include <QTimer>

namespace {

// The longest wait for the display to show the splash before the start-up goes on.
constexpr int kShowTimeoutMs = 1000;

} // namespace

CSplashThread::CSplashThread() = default;

CSplashThread::~CSplashThread() = default;

void CSplashThread::Start()
{
    m_splash = std::make_unique<CSplashDlg>();
    // A close request came before the window existed: it is not shown at all.
    if (m_closeRequested)
        return;
    m_splash->show();
    // The main thread is about to be busy building the outer window; the picture has to
    // be on the screen before that. Sleep in an event loop until it has been painted.
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(m_splash.get(), &CSplashDlg::Painted, &loop, &QEventLoop::quit);
    timeout.start(kShowTimeoutMs);
    if (m_splash->PaintCount() == 0)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void CSplashThread::Close()
{
    m_closeRequested = true;
    if (m_splash)
        m_splash->close();
}
