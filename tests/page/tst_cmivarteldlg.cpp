#include "controls/ccelllistctrl.h"
#include "controls/cfadeinpicture.h"
#include "controls/cimagebutton.h"
#include "engine/outputtypes.h"
#include "media/cvideoedit.h"
#include "page/pagebatch.h"
#include "page/pagesources.h"
#include "pagefixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionHeader>
#include <QTextBrowser>

namespace {

// What the list and the description box must show for a profile file, read from the file.
struct ProfileFileView
{
    QString description;
    QStringList titles;
    int defaultRow = -1;
};

ProfileFileView ReadProfileFile(const QString &name)
{
    QFile file(QStringLiteral(MIVARTEL_BUILD_DIR "/app/") + name);
    ProfileFileView view;
    if (!file.open(QIODevice::ReadOnly))
        return view;
    bool inInfo = false;
    for (const QByteArray &raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith('[')) {
            inInfo = line == QLatin1String("[Info]");
            continue;
        }
        const QString key = line.section('=', 0, 0);
        const QString value = line.section('=', 1);
        if (inInfo && key == QLatin1String("Description"))
            view.description = value;
        else if (inInfo && key == QLatin1String("DefaultProfile"))
            view.defaultRow = value.toInt() - 1;
        else if (key == QLatin1String("Title"))
            view.titles.append(value);
    }
    return view;
}

QStringList ListTexts(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

CellInfo Cell(CMivartelDlg *page, int row, int column)
{
    return page->jobList()->GetCellInfo(row, column);
}

} // namespace

class TestCMivartelDlg : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m.SetUp();
        QVERIFY(!m.Clips("clip", 3, 20).contains(QString()));
    }
    void cleanup()
    {
        m.outer.reset();
        m.ClearOutput();
        QSettings(QStringLiteral("Mivartel"), QStringLiteral("Mivartel")).clear();
    }

    void showsItsIdleStateAfterStartUp_data()
    {
        QTest::addColumn<QString>("destination");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("expectedField");
        QTest::addColumn<QString>("title"); // a pattern
        QString videos = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
        if (videos.isEmpty() || !QFileInfo(videos).isDir())
            videos = QDir::homePath();
        // Without a stored version, the program's own: a number, not a bare "V".
        QTest::newRow("empty settings")
            << QString() << QString() << videos + '/' << "^  Mivartel V\\d+\\.\\d+$";
        QTest::newRow("stored settings") << "/srv/phone clips"
                                         << "2.5"
                                         << "/srv/phone clips/"
                                         << "^  Mivartel V2\\.5$";
    }
    void showsItsIdleStateAfterStartUp()
    {
        QFETCH(QString, destination);
        QFETCH(QString, version);
        QFETCH(QString, expectedField);
        QFETCH(QString, title);
        QSettings settings(QStringLiteral("Mivartel"), QStringLiteral("Mivartel"));
        if (!destination.isEmpty())
            settings.setValue("destination", destination);
        if (!version.isEmpty())
            settings.setValue("Version", version);
        settings.sync();

        CMivartelDlg *page = m.Open();
        QVERIFY(page);
        QVERIFY(page->startButton()->isVisible());
        QVERIFY(!page->stopButton()->isVisible());
        QVERIFY(!page->videoEdit()->isVisible());
        QVERIFY(page->fadeInPicture()->isVisible());
        QCOMPARE(page->outputTypeBox()->currentIndex(), 0);
        const ProfileFileView amr = ReadProfileFile("3GP_AMR_Profile.ini");
        QCOMPARE(ListTexts(page->profileList()), amr.titles);
        QCOMPARE(page->profileList()->currentRow(), amr.defaultRow);
        QCOMPARE(page->descriptionBox()->text(), amr.description);
        QVERIFY(!page->outputDirectoryField()->isEnabled());
        QCOMPARE(page->outputDirectoryField()->text(), expectedField);
        QVERIFY2(QRegularExpression(title).match(m.outer->windowTitle()).hasMatch(),
                 qPrintable(m.outer->windowTitle()));
        // Fixed in size, minimisable, not maximisable.
        QCOMPARE(m.outer->minimumSize(), QSize(672, 565));
        QCOMPARE(m.outer->maximumSize(), QSize(672, 565));
        QVERIFY(m.outer->windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(m.outer->windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(page->geometry(), QRect(2, 2, 669, 563));
    }

    void browseKeepsTheChosenFolder_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("stored");
        QTest::newRow("folder") << "/srv/clips"
                                << "/srv/clips"
                                << "/srv/clips/";
        QTest::newRow("root") << "/"
                              << "/"
                              << "/";
        QTest::newRow("cancelled") << ""
                                   << "/srv/old/"
                                   << "/srv/old/";
    }
    void browseKeepsTheChosenFolder()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, field);
        QFETCH(QString, stored);
        QSettings(QStringLiteral("Mivartel"), QStringLiteral("Mivartel"))
            .setValue("destination", "/srv/old");
        CMivartelDlg *page = m.Open();
        QVERIFY(page);
        m.chosenFolder = chosen;
        QTest::mouseClick(page->browseButton(), Qt::LeftButton);
        QCOMPARE(m.foldersAsked, 1);
        QCOMPARE(page->outputDirectoryField()->text(), field);
        QCOMPARE(page->state().outputDirectory, stored);
        QCOMPARE(QSettings(QStringLiteral("Mivartel"), QStringLiteral("Mivartel"))
                     .value("destination")
                     .toString(),
                 stored);
    }

    void changingTheOutputTypeRefillsTheListAndTheOutputColumn()
    {
        CMivartelDlg *page = m.OpenWith(m.Clips("clip", 2, 20));
        QVERIFY(page);
        const QList<QPair<QString, QString>> types{{"3GP_AAC_Profile.ini", "3gp"},
                                                   {"3GP2_AAC_Profile.ini", "3g2"}};
        QComboBox *box = page->outputTypeBox();
        box->setFocus();
        for (const auto &[file, extension] : types) {
            QTest::keyClick(box, Qt::Key_Down);
            const ProfileFileView view = ReadProfileFile(file);
            QCOMPARE(ListTexts(page->profileList()), view.titles);
            for (int row = 0; row < view.titles.size(); ++row)
                QCOMPARE(page->profileList()->item(row)->toolTip(), view.titles.at(row));
            QCOMPARE(page->profileList()->currentRow(), view.defaultRow);
            QCOMPARE(page->descriptionBox()->text(), view.description);
            for (int row = 0; row < 2; ++row)
                QCOMPARE(Cell(page, row, 3).text,
                         QStringLiteral("clip%1.%2").arg(row).arg(extension));
        }
    }

    // The output type and each type's profile come back at the next start; a stored type or
    // profile that the page cannot show gives the type's default.
    void remembersTheOutputTypeAndEachTypesProfile_data()
    {
        QTest::addColumn<QVariant>("storedType"); // none: type and row chosen on the page
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("row"); // -1: the type's default
        QTest::newRow("AMR, first profile") << QVariant() << 0 << 0;
        QTest::newRow("AAC, last profile") << QVariant() << 1 << 3;
        QTest::newRow("3G2, second profile") << QVariant() << 2 << 1;
        QTest::newRow("profile gone from the file") << QVariant(1) << 1 << -1;
        QTest::newRow("type out of range") << QVariant(3) << 0 << -1;
        QTest::newRow("type not a number") << QVariant("AAC") << 0 << -1;
    }
    void remembersTheOutputTypeAndEachTypesProfile()
    {
        QFETCH(QVariant, storedType);
        QFETCH(int, type);
        QFETCH(int, row);
        const auto choose = [](QComboBox *box, int index) {
            while (box->currentIndex() != index)
                QTest::keyClick(box, box->currentIndex() < index ? Qt::Key_Down : Qt::Key_Up);
        };
        CMivartelDlg *page = m.Open();
        QVERIFY(page);
        QListWidget *list = page->profileList();
        if (storedType.isValid()) {
            QSettings settings(QStringLiteral("Mivartel"), QStringLiteral("Mivartel"));
            settings.setValue("outputType", storedType);
            settings.setValue(QStringLiteral("profile/%1").arg(type), "Gone");
        } else {
            choose(page->outputTypeBox(), type);
            QTest::mouseClick(list->viewport(),
                              Qt::LeftButton,
                              {},
                              list->visualItemRect(list->item(row)).center());
            // Another type's choice is its own; the type chosen last is the one kept.
            choose(page->outputTypeBox(), (type + 1) % 3);
            QTest::keyClick(list, Qt::Key_End);
            choose(page->outputTypeBox(), type);
        }
        m.outer.reset();
        page = m.Open();
        QVERIFY(page);
        list = page->profileList();
        QCOMPARE(page->outputTypeBox()->currentIndex(), type);
        QCOMPARE(page->state().outputType, type);
        const ProfileFileView view = ReadProfileFile(
            QString::fromLatin1(profileFileTable[size_t(type)].profileFile).mid(2));
        QCOMPARE(ListTexts(list), view.titles);
        QCOMPARE(list->currentRow(), row < 0 ? view.defaultRow : row);
        if (!storedType.isValid()) {
            choose(page->outputTypeBox(), (type + 1) % 3);
            QCOMPARE(list->currentRow(), list->count() - 1);
        }
    }

    // Without a viewer on the desktop, Help shows the document in one window of its own.
    void helpWithoutAViewerHasAWindowOfItsOwn()
    {
        CMivartelDlg *page = m.Open();
        QVERIFY(page);
        m.urlOpens = false;
        QTest::mouseClick(page->helpButton(), Qt::LeftButton);
        QCOMPARE(m.openedUrls, QList<QUrl>{QUrl::fromLocalFile(page->HelpPath())});
        QList<QTextBrowser *> windows = page->findChildren<QTextBrowser *>();
        QCOMPARE(windows.size(), 1);
        QTextBrowser *help = windows[0];
        QVERIFY(help->isVisible() && help->isWindow());
        QCOMPARE(help->size(), QSize(640, 560));
        QCOMPARE(help->source(), QUrl::fromLocalFile(page->HelpPath()));
        // A link inside, reached with the keyboard as a reader would.
        QTest::keyClick(help, Qt::Key_Tab);
        QTest::keyClick(help, Qt::Key_Return);
        QCOMPARE(help->source().fragment(), QStringLiteral("sources"));
        // Closed and asked for again: the same window, and no second one.
        help->close();
        QTest::mouseClick(page->helpButton(), Qt::LeftButton);
        QVERIFY(help->isVisible());
        QCOMPARE(page->findChildren<QTextBrowser *>(), windows);
    }

    void refusesToStartWithoutAPlaceOrAProfile_data()
    {
        QTest::addColumn<int>("problem");
        QTest::addColumn<QString>("expectedText");
        QTest::newRow("empty output field") << 0 << PageBatch::NoOutputDirectoryText;
        QTest::newRow("missing output folder") << 1 << "no/such/folder";
        QTest::newRow("no profile selected") << 2 << "no profile is selected";
        QTest::newRow("encoder not installed")
            << 3 << "the program \"ffmpeg\" of command 1 cannot be found";
    }
    void refusesToStartWithoutAPlaceOrAProfile()
    {
        QFETCH(int, problem);
        QFETCH(QString, expectedText);
        CMivartelDlg *page = m.OpenWith({m.Clip("clip0", 20)});
        QVERIFY(page);
        if (problem == 0)
            page->outputDirectoryField()->clear();
        if (problem == 1)
            page->state().outputDirectory = m.OutputDir() + "no/such/folder/";
        if (problem == 2)
            page->profileList()->setCurrentRow(-1);
        const QByteArray path = qgetenv("PATH");
        const auto restorePath = qScopeGuard([&] { qputenv("PATH", path); });
        if (problem == 3)
            qputenv("PATH", m.OutputDir().toLocal8Bit());

        QTest::mouseClick(page->startButton(), Qt::LeftButton);
        QCOMPARE(m.notices.size(), 1);
        QCOMPARE(m.notices[0].caption, QStringLiteral("Error"));
        QVERIFY2(m.notices[0].text.contains(expectedText), qPrintable(m.notices[0].text));
        QCOMPARE(page->converting(), 0);
        QVERIFY(page->startButton()->isVisible());
        QCOMPARE(page->state().jobs.copyOut(0).stage, 0);
        QVERIFY(m.OutputFiles().isEmpty());
    }

    // Three clips from the Start button: live figures in pass 1, " Finished " after, the
    // "Information" notice, and nothing of the page usable for a change while it runs.
    void convertsABatchFromTheStartButton()
    {
        // Long enough for the encoder to report during its pass (it reports twice a second).
        CMivartelDlg *page = m.OpenWith(m.Clips("long", 3, 60));
        QVERIFY(page);

        const QRegularExpression running(
            "^\\d\\d:\\d\\d:\\d\\d    \\d+\\.\\d\\dMB    \\d+\\.\\d\\dFrames/s      %\\d+ $");
        QStringList liveTexts;
        bool controlsLocked = true;
        bool triedBrowseAndHelp = false;
        const auto watchTheBatch = [&] {
            if (!page->converting())
                return;
            const int row = page->state().currentJobIndex;
            const CellInfo cell = Cell(page, row, 4);
            if (running.match(cell.text).hasMatch() && cell.progressMax == 100)
                liveTexts.append(cell.text);
            controlsLocked = controlsLocked && !page->outputTypeBox()->isEnabled()
                             && !page->profileList()->isEnabled()
                             && !page->shutDownBox()->isEnabled() && page->stopButton()->isVisible()
                             && !page->startButton()->isVisible();
            if (!triedBrowseAndHelp) {
                triedBrowseAndHelp = true;
                QTest::mouseClick(page->browseButton(), Qt::LeftButton);
                QTest::mouseClick(page->helpButton(), Qt::LeftButton);
            }
        };
        QVERIFY(m.RunBatch(page, watchTheBatch));

        QVERIFY2(!liveTexts.isEmpty(), "no running figures seen in pass 1");
        QVERIFY(controlsLocked);
        QVERIFY(triedBrowseAndHelp);
        QCOMPARE(m.foldersAsked, 0);
        QVERIFY(m.openedUrls.isEmpty());
        for (int row = 0; row < 3; ++row) {
            const CellInfo cell = Cell(page, row, 4);
            QCOMPARE(cell.text, QStringLiteral(" Finished "));
            QCOMPARE(cell.progressPos, 100);
        }
        QCOMPARE(m.OutputFiles(), QStringList({"long0.3gp", "long1.3gp", "long2.3gp"}));
        QCOMPARE(m.notices.size(), 1);
        QCOMPARE(m.notices[0].caption, QStringLiteral("Information"));
        QCOMPARE(m.notices[0].text,
                 QString(11, ' ') + '\t' + QString(10, ' ') + "Converting Finished"
                     + QString(9, ' ') + '\t' + QString(12, ' '));
        QVERIFY(page->outputTypeBox()->isEnabled());
        QVERIFY(page->profileList()->isEnabled());
        QVERIFY(page->shutDownBox()->isEnabled());
        QVERIFY(page->startButton()->isVisible());
        QVERIFY(!page->stopButton()->isVisible());

        // Idle again: Browse and Help work.
        QTest::mouseClick(page->browseButton(), Qt::LeftButton);
        QTest::mouseClick(page->helpButton(), Qt::LeftButton);
        QCOMPARE(m.foldersAsked, 1);
        QCOMPARE(m.openedUrls, QList<QUrl>{QUrl::fromLocalFile(page->HelpPath())});
    }

    // Start converts the rows that are not finished and leaves the finished files as they are;
    // when every row is finished, it converts them all again.
    void startConvertsTheRowsThatAreNotFinished()
    {
        const QStringList clips = m.Clips("again", 4, 2);
        QVERIFY(!clips.contains(QString()));
        CMivartelDlg *page = m.OpenWith(clips.mid(0, 2));
        QVERIFY(page);
        QVERIFY(m.RunBatch(page));
        const auto writtenAt = [this] {
            QList<QDateTime> times;
            for (int i = 0; i < 4; ++i)
                times << QFileInfo(m.OutputDir() + QStringLiteral("again%1.3gp").arg(i))
                             .lastModified();
            return times;
        };
        const QList<QDateTime> first = writtenAt();
        QVERIFY(first[0].isValid() && first[1].isValid() && !first[2].isValid());

        QVERIFY(PageFixture::Add(page, clips.mid(2)));
        QVERIFY(m.RunBatch(page));
        const QList<QDateTime> second = writtenAt();
        QCOMPARE(second.mid(0, 2), first.mid(0, 2));
        QVERIFY(second[2].isValid() && second[3].isValid());
        for (int row = 0; row < 4; ++row)
            QCOMPARE(Cell(page, row, 4).text, QStringLiteral(" Finished "));

        QVERIFY(m.RunBatch(page));
        const QList<QDateTime> third = writtenAt();
        for (int i = 0; i < 4; ++i)
            QVERIFY2(third[i] > second[i], qPrintable(QString::number(i)));
        QCOMPARE(m.OutputFiles(),
                 QStringList({"again0.3gp", "again1.3gp", "again2.3gp", "again3.3gp"}));
    }

    void reportsAJobThatFailedAndConvertsTheOthers()
    {
        const QString doomed = m.scratch.filePath("clips/doomed.avi");
        QVERIFY(QFile::copy(m.Clip("clip1", 20), doomed));
        CMivartelDlg *page = m.OpenWith({m.Clip("clip0", 20), doomed, m.Clip("clip2", 20)});
        QVERIFY(page);
        QVERIFY(QFile::remove(doomed));

        QVERIFY(m.RunBatch(page));
        QCOMPARE(Cell(page, 0, 4).text, QStringLiteral(" Finished "));
        QCOMPARE(Cell(page, 1, 4).text, QStringLiteral(" Failed "));
        QCOMPARE(Cell(page, 2, 4).text, QStringLiteral(" Finished "));
        QCOMPARE(m.notices.size(), 1);
        QCOMPARE(m.notices[0].caption, QStringLiteral("Warning"));
        QVERIFY2(m.notices[0].text.contains("1 of 3") && m.notices[0].text.contains("log.txt"),
                 qPrintable(m.notices[0].text));
    }

    void endsWithTheShutdownOnlyWhenNotStopped_data()
    {
        QTest::addColumn<int>("stopInJob"); // -1: never
        QTest::addColumn<QStringList>("progress");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<int>("notices");
        QTest::addColumn<int>("powerOffs");
        QTest::newRow("stopped in job 2")
            << 1 << QStringList{" Finished ", "Canceled", ""} << QStringList{"clip0.3gp"} << 1 << 0;
        QTest::newRow("complete") << -1 << QStringList{" Finished ", " Finished ", " Finished "}
                                  << QStringList{"clip0.3gp", "clip1.3gp", "clip2.3gp"} << 0 << 1;
    }
    void endsWithTheShutdownOnlyWhenNotStopped()
    {
        QFETCH(int, stopInJob);
        QFETCH(QStringList, progress);
        QFETCH(QStringList, files);
        QFETCH(int, notices);
        QFETCH(int, powerOffs);
        CMivartelDlg *page = m.OpenWith(m.Clips("clip", 3, 20));
        QVERIFY(page);
        // One at a time, so that the jobs after the stopped one have not started.
        page->batchConversion().SetJobsAtOnce(1);
        QTest::mouseClick(page->shutDownBox(), Qt::LeftButton);
        QVERIFY(page->shutDownBox()->isChecked());

        const auto stopInTheChosenJob = [&] {
            const SharedState &state = page->state();
            if (state.converting && state.currentJobIndex == stopInJob
                && state.jobs.copyOut(stopInJob).stage == JobStage::FirstPass
                && page->stopButton()->isVisible()) {
                // A second Stop before the engine has unwound does no harm.
                QTest::mouseClick(page->stopButton(), Qt::LeftButton);
                QTest::mouseClick(page->stopButton(), Qt::LeftButton);
            }
        };
        QVERIFY(m.RunBatch(page, stopInTheChosenJob));

        for (int row = 0; row < 3; ++row)
            QCOMPARE(Cell(page, row, 4).text, progress[row]);
        QCOMPARE(m.OutputFiles(), files);
        QCOMPARE(m.notices.size(), notices);
        QCOMPARE(m.powerOffs, powerOffs);
        if (notices)
            QCOMPARE(m.notices[0].caption, QStringLiteral("Information"));
    }

    // Each job's row comes into view as the job starts, except while the user has scrolled the
    // list (here in job 12) within the last 3 s. The sources are gone: each job fails at once.
    void theRunningJobComesIntoView()
    {
        CMivartelDlg *page = m.Open();
        QVERIFY(page);
        QStringList doomed;
        for (int i = 0; i < 16; ++i) {
            doomed << m.scratch.filePath(QStringLiteral("clips/doomed%1.avi").arg(i));
            QVERIFY(QFile::copy(m.Clip("clip0", 20), doomed.last()));
        }
        page->sources().AddSourcePaths(doomed);
        QVERIFY(m.Listed(page));
        for (const QString &file : doomed)
            QVERIFY(QFile::remove(file));
        page->state().outputDirectory = m.OutputDir();
        CCellListCtrl *list = page->jobList();
        list->scrollToTop();
        const auto shown
            = [list](int row) { return list->viewport()->rect().contains(list->CellRect(row, 0)); };

        // At each job's start: its row in view, or the top row while the wheel counts; starts
        // too near the 3 s limit to tell are left out.
        QList<bool> asExpected;
        int startsLeftAlone = 0;
        QElapsedTimer sinceWheel;
        int lastJob = -1;
        const auto atEachStart = [&] {
            const int job = page->state().currentJobIndex;
            if (!page->converting() || job == lastJob)
                return;
            lastJob = job;
            const qint64 since = sinceWheel.isValid() ? sinceWheel.elapsed() : 9999;
            if (since < 2800)
                ++startsLeftAlone;
            if (since < 2800 || since > 3200)
                asExpected << shown(since < 2800 ? 0 : job);
            if (job == 11) {
                const QPointF at(10, 10);
                QWheelEvent wheel(at, at, {}, {0, 1200}, {}, {}, Qt::NoScrollPhase, false);
                QCoreApplication::sendEvent(list->viewport(), &wheel);
                sinceWheel.start();
            }
        };
        QVERIFY(m.RunBatch(page, atEachStart, 0));
        QVERIFY(!asExpected.contains(false));
        QVERIFY(asExpected.size() >= 12 && startsLeftAlone > 0);
    }

    void colorsCellsByRowParity()
    {
        CMivartelDlg *page = m.OpenWith(m.Clips("clip", 2, 20));
        QVERIFY(page);
        struct Expected
        {
            ColorRef text, back, selectedText, selectedBackNoFocus;
        };
        const Expected rows[2]
            = {{Rgb(10, 5, 20), Rgb(180, 180, 255), Rgb(240, 200, 128), Rgb(20, 20, 120)},
               {Rgb(40, 10, 40), Rgb(220, 220, 255), Rgb(240, 250, 128), Rgb(20, 60, 120)}};
        for (int row = 0; row < 2; ++row) {
            for (int column = 0; column < 5; ++column) {
                const CellInfo cell = Cell(page, row, column);
                QCOMPARE(cell.textColor, rows[row].text);
                QCOMPARE(cell.backColor, rows[row].back);
                QCOMPARE(cell.hotTextColor, Rgb(170, 10, 150));
                QCOMPARE(cell.selectedTextColor, rows[row].selectedText);
                QCOMPARE(cell.selectedBackColor, Rgb(30, 50, 96));
                QCOMPARE(cell.selectedBackColorNoFocus, rows[row].selectedBackNoFocus);
            }
            QCOMPARE(Cell(page, row, 0).text, QStringLiteral("clip%1.avi").arg(row));
            // Names cut at the column's edge can be read whole in their tips.
            QCOMPARE(Cell(page, row, 0).toolTip, m.Clip(QStringLiteral("clip%1").arg(row), 20));
            QCOMPARE(Cell(page, row, 3).toolTip, Cell(page, row, 3).text);
            QCOMPARE(Cell(page, row, 1).toolTip, QString());
            QCOMPARE(Cell(page, row, 1).text, QStringLiteral("00:00:00"));
            QCOMPARE(Cell(page, row, 2).text, QStringLiteral("00:00:20"));
        }
        // A row past the jobs keeps the reset record.
        QCOMPARE(Cell(page, 2, 0).backColor, CLR_DEFAULT);
    }

    // Every label, entry, heading and check box text fits its rectangle whole, with the
    // skin's paddings.
    void fitsEveryTextIntoItsRectangle()
    {
        CMivartelDlg *page = m.Open();
        QVERIFY(page);
        QVERIFY(!m.skin->SkinText().isEmpty());
        QStyle *style = page->style();
        const auto fits = [](QWidget *control, const QString &text, int room) {
            const QFontMetrics metrics(control->font());
            return metrics.horizontalAdvance(text) <= room && metrics.height() <= control->height();
        };
        for (int id : {1070, 1071, 1034}) {
            auto *label = qobject_cast<QLabel *>(page->Control(id));
            QVERIFY2(fits(label, label->text(), label->width()), qPrintable(label->text()));
        }
        QCheckBox *box = page->shutDownBox();
        const int indicator = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, box)
                              + style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, box);
        QVERIFY(fits(box, box->text(), box->width() - indicator));
        QComboBox *combo = page->outputTypeBox();
        QStyleOptionComboBox comboOption;
        comboOption.initFrom(combo);
        const int field
            = style
                  ->subControlRect(
                      QStyle::CC_ComboBox, &comboOption, QStyle::SC_ComboBoxEditField, combo)
                  .width();
        for (int i = 0; i < combo->count(); ++i)
            QVERIFY2(fits(combo, combo->itemText(i), field), qPrintable(combo->itemText(i)));
        // Each type's description, wrapped in its box, has no line cut off below.
        QLabel *description = page->descriptionBox();
        for (int type = 0; type < combo->count(); ++type) {
            combo->setCurrentIndex(type);
            const QRect room = description->contentsRect().marginsRemoved(QMargins(1, 1, 1, 1)
                                                                          * description->margin());
            const QRect needed = QFontMetrics(description->font())
                                     .boundingRect(room, Qt::TextWordWrap, description->text());
            QVERIFY2(needed.height() <= room.height(), qPrintable(description->text()));
        }
        // The widest Progress text of a usual batch, inside the bar's border.
        CCellListCtrl *list = page->jobList();
        QVERIFY(QFontMetrics(list->viewport()->font())
                        .horizontalAdvance("09:59:59    97.66MB    999.99Frames/s      %100 ")
                    + 10
                <= list->columnWidth(4));
        QHeaderView *header = page->jobList()->horizontalHeader();
        for (int column = 0; column < 5; ++column) {
            QStyleOptionHeader option;
            option.initFrom(header);
            option.rect = QRect(0, 0, header->sectionSize(column), header->height());
            option.section = column;
            const QString heading = header->model()->headerData(column, Qt::Horizontal).toString();
            // The header paints with its viewport's font.
            QVERIFY2(QFontMetrics(header->viewport()->font()).horizontalAdvance(heading)
                         <= style->subElementRect(QStyle::SE_HeaderLabel, &option, header).width(),
                     qPrintable(heading));
        }
    }

private:
    PageFixture m;
};

QTEST_MAIN(TestCMivartelDlg)
#include "tst_cmivarteldlg.moc"
