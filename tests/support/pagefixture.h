#pragma once

#include "page/cmivarteldlg.h"
#include "page/notices.h"
#include "page/poweroffservice.h"
#include "shell/couterdlg.h"
#include "shell/skincomponent.h"
#include "testmedia.h"

#include <QDir>
#include <QList>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

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
    bool urlOpens = true; // what the desktop's viewer answers; false: there is none
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
        services.openUrl = [this](const QUrl &url) {
            openedUrls.append(url);
            return urlOpens;
        };
        outer = std::make_unique<COuterDlg>(std::move(services), skin.get());
        outer->show();
        if (!QTest::qWaitForWindowExposed(outer.get()))
            return nullptr;
        return outer->page();
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
