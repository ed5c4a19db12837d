#pragma once

#include "controls/ccelllistctrl.h"
#include "controls/cimagebutton.h"
#include "page/cmivarteldlg.h"
#include "page/notices.h"
#include "page/pagesources.h"
#include "page/poweroffservice.h"
#include "shell/couterdlg.h"
#include "shell/skincomponent.h"
#include "testmedia.h"

#include <QDir>
#include <QList>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

// The real page in the real outer window, with message boxes recorded and power-off counted
// instead of shown and done. Clips are made once per test program.
struct RecordedNotice
{
    QString text;
    QString caption;
    QMessageBox::Icon icon;
};

class RecordingNotices : public Notices
{
public:
    explicit RecordingNotices(QList<RecordedNotice> &log)
        : m_log(log)
    {}
    void
    Show(QWidget *, const QString &text, const QString &caption, QMessageBox::Icon icon) override
    {
        m_log.append({text, caption, icon});
    }

private:
    QList<RecordedNotice> &m_log;
};

class CountingPowerOff : public PowerOffService
{
public:
    explicit CountingPowerOff(int &requests)
        : m_requests(requests)
    {}
    void AskCanPowerOff(std::function<void(bool)> answer) override { answer(true); }
    void RequestPowerOff() override { ++m_requests; }

private:
    int &m_requests;
};

class PageFixture
{
public:
    QTemporaryDir scratch;
    QList<RecordedNotice> notices;
    int powerOffs = 0;
    int foldersAsked = 0;
    QString chosenFolder; // what the folder chooser answers; empty: cancelled
    QList<QUrl> openedUrls;
    bool urlOpens = true;     // what the desktop's viewer answers; false: there is none
    bool realDesktop = false; // the page opens files with the desktop's own programs
    std::unique_ptr<COuterDlg> outer;
    std::unique_ptr<SkinComponent> skin;

    // Settings and the user's data go to the scratch folder; call before anything reads them. The
    // skin is put on as the program does, since its paddings take room from the texts.
    void SetUp()
    {
        skin = std::make_unique<SkinComponent>();
        skin->Initialize(0);
        skin->EnableSkin(1);
        skin->LoadSkinFile(QStringLiteral(MIVARTEL_BUILD_DIR "/Virurez.skf"));
        skin->ApplySkin();
        qputenv("XDG_CONFIG_HOME", scratch.filePath("config").toLocal8Bit());
        // No profile of the user's takes the place of an installed one.
        qputenv("XDG_DATA_HOME", scratch.filePath("data").toLocal8Bit());
        QDir(scratch.path()).mkpath("out");
        QDir(scratch.path()).mkpath("clips");
    }
    QString OutputDir() const { return scratch.filePath("out") + '/'; }

    // A clip made once per program: clips/<name>.avi of the given length.
    QString Clip(const QString &name, double seconds)
    {
        const QString path = scratch.filePath("clips/" + name + ".avi");
        if (!QFileInfo::exists(path) && !TestMedia::MakeClip(path, seconds))
            return {};
        return path;
    }
    // Clips stem0, stem1, ... of the given length; an empty name for one that cannot be made.
    QStringList Clips(const QString &stem, int count, double seconds)
    {
        QStringList clips;
        for (int i = 0; i < count; ++i)
            clips << Clip(stem + QString::number(i), seconds);
        return clips;
    }

    CMivartelDlg *Open()
    {
        notices.clear();
        powerOffs = 0;
        foldersAsked = 0;
        chosenFolder.clear();
        openedUrls.clear();
        urlOpens = true;
        PageServices services;
        services.notices = std::make_unique<RecordingNotices>(notices);
        services.powerOff = std::make_unique<CountingPowerOff>(powerOffs);
        services.chooseFolder = [this](QWidget *, const QString &) {
            ++foldersAsked;
            return chosenFolder;
        };
        if (!realDesktop) {
            services.openUrl = [this](const QUrl &url) {
                openedUrls.append(url);
                return urlOpens;
            };
        }
        outer = std::make_unique<COuterDlg>(std::move(services), skin.get());
        outer->show();
        if (!QTest::qWaitForWindowExposed(outer.get()))
            return nullptr;
        return outer->page();
    }

    // The page with the files added one after another, each as a single file is added (measured
    // at once, its job selected), and the batch's output going to OutputDir(). Null when the
    // window does not show or a file is refused.
    CMivartelDlg *OpenWith(const QStringList &files)
    {
        CMivartelDlg *page = Open();
        if (!page || !Add(page, files))
            return nullptr;
        page->state().outputDirectory = OutputDir();
        return page;
    }
    static bool Add(CMivartelDlg *page, const QStringList &files)
    {
        for (const QString &file : files) {
            if (!page->sources().AddSourcePath(file))
                return false;
        }
        return true;
    }
    // True once every file handed over (Add button, drop, AddSourcePaths) has been listed or
    // refused; they are measured away from the UI thread and listed as the event loop turns.
    static bool Listed(CMivartelDlg *page)
    {
        return QTest::qWaitFor([page] { return page->sources().PendingCount() == 0; }, 10000);
    }
    // Clicks Add and waits until what the file chooser gave is listed or refused.
    static bool ClickAdd(CMivartelDlg *page)
    {
        QTest::mouseClick(page->addButton(), Qt::LeftButton);
        return Listed(page);
    }
    // Clicks the row's first cell, as the user selects a job.
    static void SelectRow(CMivartelDlg *page, int row)
    {
        CCellListCtrl *list = page->jobList();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->CellRect(row, 0).center());
    }

    // Calls turn every periodMs while work runs; work must turn the event loop, as a batch
    // does in the engine's waits. The timer is precise, so a benchmark can time how late it is.
    static void WhileRunning(const std::function<void()> &work,
                             const std::function<void()> &turn,
                             int periodMs = 5)
    {
        QTimer poll;
        poll.setTimerType(Qt::PreciseTimer);
        QObject::connect(&poll, &QTimer::timeout, turn);
        poll.start(periodMs);
        work();
        poll.stop();
    }
    // Clicks Start and returns once the batch is over and its end told (the page runs the
    // whole batch inside the click); turn, when given, is called every periodMs meanwhile.
    // False when the batch never ends.
    static bool
    RunBatch(CMivartelDlg *page, const std::function<void()> &turn = {}, int periodMs = 5)
    {
        const auto start = [page] { QTest::mouseClick(page->startButton(), Qt::LeftButton); };
        if (turn)
            WhileRunning(start, turn, periodMs);
        else
            start();
        return QTest::qWaitFor([page] { return page->converting() == 0; }, 10000);
    }

    // Removes what the last batch wrote.
    void ClearOutput()
    {
        QDir out(OutputDir());
        for (const QString &name : out.entryList(QDir::Files))
            out.remove(name);
    }
    QStringList OutputFiles() const { return QDir(OutputDir()).entryList(QDir::Files, QDir::Name); }
};
