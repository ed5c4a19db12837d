#pragma once

#include "page/pageservices.h"
#include "shell/desktopnotifier.h"
#include "shell/launcherentry.h"

#include <QWidget>

class CMivartelDlg;
class SkinComponent;

// The program's top-level window: 672 x 565, centred, minimisable but neither resizable nor
// maximisable, hosting the main page at 2, 2. Closing it while a batch runs stops the batch
// and lets the engine's loops unwind first; the window closes once they have.
class COuterDlg : public QWidget
{
    Q_OBJECT

public:
    static constexpr QSize WindowSize{672, 565};
    static constexpr QPoint PagePosition{2, 2};

    // Builds and initialises the page; the services go to it. The skin (not owned, may be null)
    // decorates the page, and the desktop hears of a batch that ends behind another window,
    // unless the services say otherwise.
    explicit COuterDlg(PageServices services = {},
                       SkinComponent *skin = nullptr,
                       QWidget *parent = nullptr);
    ~COuterDlg() override;

    CMivartelDlg *page() const { return m_page; }
    // True between a close asked for during a batch and the close itself.
    bool IsClosePending() const { return m_closePending; }
    // Opens the help document (F1, as the page's Help button).
    void OpenHelp();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void OnBatchUnwound();

    DesktopNotifier m_notifier;
    LauncherEntry m_launcher;
    CMivartelDlg *m_page = nullptr;
    bool m_closePending = false;
};
