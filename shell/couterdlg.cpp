#include "shell/couterdlg.h"

#include "engine/batchoutcome.h"

#include "page/cmivarteldlg.h"
#include "page/pagebatch.h"
#include "shell/skincomponent.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QShortcut>

#include <algorithm>

COuterDlg::COuterDlg(PageServices services, SkinComponent *skin, QWidget *parent)
    : QWidget(parent,
              Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                  | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    setWindowIcon(QIcon(QStringLiteral(":/res/icon_128.png")));
    setWindowTitle(QStringLiteral("Mivartel"));
    setFixedSize(WindowSize);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        QRect frame(QPoint(), WindowSize);
        frame.moveCenter(available.center());
        // A window larger than the screen (a small screen at 2x) keeps its title bar on it.
        move(std::max(frame.left(), available.left()), std::max(frame.top(), available.top()));
    }

    if (skin && !services.skinSelfDrawn)
        services.skinSelfDrawn
            = [skin](QWidget *control) { skin->AddWindow(control, SkinComponent::SelfDrawn); };
    if (!services.batchEnded)
        services.batchEnded = [this](const BatchOutcome &outcome, bool windowActive) {
            m_notifier.BatchEnded(windowActive, outcome);
        };
    if (!services.batchProgress)
        services.batchProgress = [this](double share) {
            if (share < 0.0)
                m_launcher.Clear();
            else
                m_launcher.ShowProgress(share);
        };
    m_page = new CMivartelDlg(std::move(services), this);
    m_page->OnInitDialog();
    m_page->setGeometry(QRect(PagePosition, CMivartelDlg::PageSize));
    m_page->show();
    if (skin)
        skin->AddWindow(m_page, 0);

    connect(&m_page->batch(),
            &PageBatch::batchUnwound,
            this,
            &COuterDlg::OnBatchUnwound,
            Qt::QueuedConnection);
    auto *help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, &COuterDlg::OpenHelp);
}

COuterDlg::~COuterDlg()
{
    // Deleted with the window anyway; first, so that a running batch is stopped while the
    // window still stands.
    delete m_page;
}

void COuterDlg::OpenHelp()
{
    m_page->OnHelp();
}

void COuterDlg::closeEvent(QCloseEvent *event)
{
    if (!m_page->converting()) {
        event->accept();
        return;
    }
    // The batch loop and the engine's waits are on the stack below this event: stop them
    // and close once they have returned, so that nothing is destroyed under them.
    m_closePending = true;
    m_page->batch().StopForClose();
    event->ignore();
}

void COuterDlg::OnBatchUnwound()
{
    if (!m_closePending)
        return;
    m_closePending = false;
    close();
}
