#include "enginefixture.h"

#include "engine/jobcelltext.h"
#include "engine/joblistfile.h"
#include "testmedia.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>
#include <QTimer>

// The pipeline and the batch loop with a stand-in encoder that records every run, so the
// order of the passes, the stages and the deletions can be checked exactly.
class TestConversionPipeline : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<EngineFixture> f;
    QString m_record;

    // A command line of the stand-in that records itself under the given name.
    QString Tool(const QString &name, const QString &extra = {}) const
    {
        return QStringLiteral("\"%1\" --record \"%2\" %3 %4")
            .arg(FAKE_ENCODER, m_record, name, extra);
    }

    QByteArray Profile(const QStringList &commands, int defaultProfile = 1) const
    {
        QByteArray text = "[Info]\nDescription=Stand-in\nDefaultProfile="
                          + QByteArray::number(defaultProfile) + "\n[Stand-in]\nTitle=Stand-in\n";
        for (int i = 0; i < commands.size(); ++i)
            text += "Command" + QByteArray::number(i + 1) + "=" + commands.at(i).toUtf8() + "\n";
        return text;
    }

    QStringList Passes() const
    {
        QFile file(m_record);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QStringList passes;
        for (const QString &line :
             QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)) {
            const QStringList args = line.split('|');
            passes.append(args.value(2));
        }
        return passes;
    }

    void AddJob(const QString &source, double begin = 0, double end = 10)
    {
        ConversionJob job = ConversionJob::ForSource(source, end);
        job.beginTime = begin;
        f->state.jobs.append(job);
    }

    // The 3GP stand-in profile: pass 1 writes the temporary file, pass 2 the final one.
    void Write3gpProfile(const QString &pass1Extra = {}, const QString &pass2Extra = {})
    {
        f->WriteProfile(
            "3GP_AMR_Profile.ini",
            Profile({Tool("pass1",
                          "--write \"$OUTPUT_DIR$OUTPUT_FILE_temp.3gp\" --status 2 " + pass1Extra),
                     Tool("pass2", "--write \"$OUTPUT_DIR$OUTPUT_FILE.3gp\" " + pass2Extra),
                     Tool("pass3")}));
    }

private slots:
    void init()
    {
        f = std::make_unique<EngineFixture>();
        m_record
            = f->outputDir.filePath("../record-" + QString::number(quintptr(f.get())) + ".txt");
        QFile::remove(m_record);
        f->state.outputType = 0;
        f->state.selectedProfile = 0;
    }
    void cleanup() { QFile::remove(m_record); }

    void threeGpRunsThreePassesAndKeepsOnlyTheResult()
    {
        Write3gpProfile();
        AddJob("/videos/holiday clip.avi");
        f->Run();
        QCOMPARE(Passes(), (QStringList{"pass1", "pass2", "pass3"}));
        QCOMPARE(f->OutputFiles(), QStringList{"holiday clip.3gp"});
        const ConversionJob job = f->state.jobs.copyOut(0);
        QCOMPARE(job.stage, 2);
        QCOMPARE(job.finished, 1);
        QCOMPARE(job.sizeKB, 20);
        QCOMPARE(ProgressCellOf(job).text, QString(" Finished "));
    }

    void threeG2RunsFivePassesAndDeletesBothTemporaryFiles()
    {
        f->state.outputType = 2;
        f->WriteProfile("3GP2_AAC_Profile.ini",
                        Profile({Tool("pass1", "--write \"$OUTPUT_DIR$OUTPUT_FILE_temp.3gp\""),
                                 Tool("pass2", "--write \"$OUTPUT_DIR$OUTPUT_FILE_temp_2.3g2\""),
                                 Tool("pass3"),
                                 Tool("pass4", "--write \"$OUTPUT_DIR$OUTPUT_FILE.3g2\""),
                                 Tool("pass5")}));
        AddJob("/v/a.mp4");
        f->Run();
        QCOMPARE(Passes(), (QStringList{"pass1", "pass2", "pass3", "pass4", "pass5"}));
        QCOMPARE(f->OutputFiles(), QStringList{"a.3g2"});
        QCOMPARE(f->state.jobs.copyOut(0).stage, 3);
        QCOMPARE(f->state.jobs.copyOut(0).finished, 1);
    }

    void stopDuringPassOneCancelsAndCleansUp()
    {
        Write3gpProfile("--hang");
        AddJob("/v/first.avi");
        AddJob("/v/second.avi");
        const QString intermediate = f->programDir.filePath("first_12345.avi");
        ConversionJob job = f->state.jobs.copyOut(0);
        job.intermediatePath = intermediate;
        f->state.jobs.replace(0, job);
        QFile(intermediate).open(QIODevice::WriteOnly);
        f->onRepaint = [this](int, int) {
            const ConversionJob current = f->state.jobs.copyOut(f->state.currentJobIndex);
            if (current.stage == 1 && current.sizeKB > 0 && !f->state.cancelRequested)
                QTimer::singleShot(0, [this] { f->batch.StopConverting(); });
        };
        f->Run();
        QCOMPARE(Passes(), QStringList{"pass1"});
        QCOMPARE(f->state.jobs.copyOut(0).stage, 9);
        QCOMPARE(ProgressCellOf(f->state.jobs.copyOut(0)).text, QString("Canceled"));
        QCOMPARE(f->state.jobs.copyOut(1).stage, 0);
        QVERIFY(!QFile::exists(intermediate));
        QCOMPARE(f->OutputFiles(), QStringList{});
    }

    void stopDuringPassTwoKillsTheToolAndDeletesItsFiles()
    {
        Write3gpProfile({}, "--hang");
        AddJob("/v/clip.avi");
        // Once the tool has started, however slowly it starts (a loaded machine, a sanitizer).
        QTimer stopper;
        connect(&stopper, &QTimer::timeout, [&] {
            if (f->state.jobs.copyOut(0).stage != 2 || Passes().size() < 2)
                return;
            stopper.stop();
            f->batch.StopConverting();
        });
        stopper.start(20);
        f->Run();
        QCOMPARE(Passes(), (QStringList{"pass1", "pass2"}));
        QCOMPARE(f->state.jobs.copyOut(0).stage, 9);
        QCOMPARE(f->state.jobs.copyOut(0).finished, 0);
        QCOMPARE(f->OutputFiles(), QStringList{});
        // Stop pressed again for the same job changes nothing and does not crash.
        f->batch.StopConverting();
        QCOMPARE(f->state.jobs.copyOut(0).stage, 9);
    }

    // Two jobs running at once, stopped while each is at its own stage: each is cleaned by
    // that stage, nothing is left in the output folder and no child outlives the batch.
    void stopWithTwoRunningAtEveryPairOfStages_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        for (int first = JobStage::FirstPass; first <= JobStage::ThirdPhase; ++first) {
            for (int second = first; second <= JobStage::ThirdPhase; ++second)
                QTest::addRow("stages %d and %d", first, second) << first << second;
        }
    }
    void stopWithTwoRunningAtEveryPairOfStages()
    {
        QFETCH(int, first);
        QFETCH(int, second);
        // Each job hangs in the pass that starts its stage, after writing that pass's file.
        const auto hang = [](int stage) {
            return QStringLiteral("--hang-if \"$OUTPUT_FILE\" stop%1").arg(stage);
        };
        f->WriteProfile(
            "3GP2_AAC_Profile.ini",
            Profile({Tool("pass1",
                          "--write \"$OUTPUT_DIR$OUTPUT_FILE_temp.3gp\" --status 2 " + hang(1)),
                     Tool("pass2", "--write \"$OUTPUT_DIR$OUTPUT_FILE_temp_2.3g2\" " + hang(2)),
                     Tool("pass3"),
                     Tool("pass4", "--write \"$OUTPUT_DIR$OUTPUT_FILE.3g2\" " + hang(3)),
                     Tool("pass5")}));
        f->state.outputType = OutputType::Aac3g2;
        AddJob(QStringLiteral("/v/a_stop%1.avi").arg(first));
        AddJob(QStringLiteral("/v/b_stop%1.avi").arg(second));
        f->batch.SetJobsAtOnce(2);
        const QStringList written{"_temp.3gp", "_temp_2.3g2", ".3g2"};
        QTimer stopper;
        connect(&stopper, &QTimer::timeout, [&] {
            const QList<int> stages{first, second};
            for (int row = 0; row < 2; ++row) {
                const ConversionJob job = f->state.jobs.copyOut(row);
                if (job.stage != stages[row]
                    || !QFile::exists(
                        f->outputDir.filePath(job.outputName + written[stages[row] - 1])))
                    return;
            }
            stopper.stop();
            f->batch.StopConverting();
        });
        stopper.start(20);
        f->Run();
        QCOMPARE(f->state.jobs.copyOut(0).stage, int(JobStage::Canceled));
        QCOMPARE(f->state.jobs.copyOut(1).stage, int(JobStage::Canceled));
        QCOMPARE(f->OutputFiles(), QStringList{});
        QCOMPARE(TestMedia::EncoderStates(f->outputDir.path(), "fake_encoder"), QString());
    }

    void profileEditedBetweenJobsIsSeenByTheLaterJob()
    {
        Write3gpProfile();
        AddJob("/v/one.avi");
        AddJob("/v/two.avi");
        f->onRepaint = [this](int row, int) {
            if (row == 0 && f->state.jobs.copyOut(0).finished == 1) {
                f->WriteProfile("3GP_AMR_Profile.ini",
                                Profile({Tool("edited1"), Tool("edited2"), Tool("edited3")}));
            }
        };
        f->Run();
        QCOMPARE(Passes(),
                 (QStringList{"pass1", "pass2", "pass3", "edited1", "edited2", "edited3"}));
        // The edited profile writes nothing: the job failed, and says so.
        const ConversionJob second = f->state.jobs.copyOut(1);
        QCOMPARE(second.finished, 0);
        QCOMPARE(second.failed, 1);
        QCOMPARE(ProgressCellOf(second).text, QString(" Failed "));
    }

    void profileThatCannotRunRunsNothing_data()
    {
        QTest::addColumn<int>("outputType");
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("commands");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no profile selected") << 0 << -1 << 3 << "no profile is selected";
        QTest::newRow("selection past the list") << 0 << 1 << 3 << "no profile is selected";
        QTest::newRow("3GP with two commands") << 0 << 0 << 2 << "needs a title and 3 commands";
        QTest::newRow("3G2 with three commands") << 2 << 0 << 3 << "needs a title and 5 commands";
    }
    void profileThatCannotRunRunsNothing()
    {
        QFETCH(int, outputType);
        QFETCH(int, selected);
        QFETCH(int, commands);
        QFETCH(QString, reason);
        QStringList tools;
        for (int i = 0; i < commands; ++i)
            tools.append(Tool("pass" + QString::number(i + 1)));
        f->WriteProfile(outputType == 2 ? "3GP2_AAC_Profile.ini" : "3GP_AMR_Profile.ini",
                        Profile(tools));
        f->state.outputType = outputType;
        f->state.selectedProfile = selected;
        AddJob("/v/a.avi");
        f->Run();
        QCOMPARE(Passes(), QStringList{});
        QVERIFY2(f->LogText().contains(reason), qPrintable(f->LogText()));
        QCOMPARE(f->state.jobs.copyOut(0).failed, 1);
    }

    void missingEncoderIsLoggedOnceAndTheBatchGoesOn()
    {
        f->WriteProfile("3GP_AMR_Profile.ini",
                        Profile({"no-such-encoder -i \"$INPUT_FILE\"",
                                 Tool("pass2", "--write \"$OUTPUT_DIR$OUTPUT_FILE.3gp\""),
                                 Tool("pass3")}));
        AddJob("/v/a.avi");
        AddJob("/v/b.avi");
        f->Run();
        QCOMPARE(f->LogText().count("CreateProcess"), 2);
        QCOMPARE(f->LogText().count("ReadFile"), 0);
        QCOMPARE(Passes(), (QStringList{"pass2", "pass3", "pass2", "pass3"}));
        // A file made without the encoder is no conversion: each job fails, saying why.
        QCOMPARE(f->LogText().count("command 1 (no-such-encoder) could not be started"), 2);
        QCOMPARE(f->state.jobs.copyOut(1).failed, 1);
        QCOMPARE(f->OutputFiles(), QStringList{});
    }

    void failuresDuringABatch_data()
    {
        QTest::addColumn<QStringList>("extras"); // of passes 1, 2 and 3
        QTest::addColumn<bool>("removeOutputFolder");
        QTest::addColumn<QString>("reason"); // empty: the job finishes
        QTest::newRow("encoder exits with an error")
            << QStringList{"--exit 1 --say \"a.avi: Invalid data\"", "", ""} << false
            << "command 1 (" FAKE_ENCODER ") exited with status 1: a.avi: Invalid data";
        QTest::newRow("finishing tool exits with an error")
            << QStringList{"", "", "--exit 3"} << false
            << "command 3 (" FAKE_ENCODER ") exited with status 3";
        QTest::newRow("encoder silent for a while is not hung")
            << QStringList{"--quiet 2500", "", ""} << false << "";
        QTest::newRow("output folder removed while the encoder runs")
            << QStringList{"--status 30", "", ""} << true << "a.3gp was not written";
    }
    void failuresDuringABatch()
    {
        QFETCH(QStringList, extras);
        QFETCH(bool, removeOutputFolder);
        QFETCH(QString, reason);
        f->WriteProfile(
            "3GP_AMR_Profile.ini",
            Profile(
                {Tool("pass1",
                      "--write \"$OUTPUT_DIR$OUTPUT_FILE_temp.3gp\" --status 2 " + extras.at(0)),
                 Tool("pass2", "--write \"$OUTPUT_DIR$OUTPUT_FILE.3gp\" " + extras.at(1)),
                 Tool("pass3", extras.at(2))}));
        AddJob("/v/a.avi");
        if (removeOutputFolder) {
            f->onRepaint = [this](int, int) {
                if (f->state.jobs.copyOut(0).sizeKB > 0 && QDir(f->outputDir.path()).exists())
                    QDir(f->outputDir.path()).removeRecursively();
            };
        }
        f->Run();
        const ConversionJob job = f->state.jobs.copyOut(0);
        QCOMPARE(job.finished, reason.isEmpty() ? 1 : 0);
        QCOMPARE(job.failed, reason.isEmpty() ? 0 : 1);
        QVERIFY2(reason.isEmpty() ? job.failureReason.isEmpty()
                                  : job.failureReason.endsWith(reason),
                 qPrintable(job.failureReason));
        if (!reason.isEmpty()) {
            QVERIFY2(f->LogText().contains("job 1 (/v/a.avi) failed: "), qPrintable(f->LogText()));
            QVERIFY(f->LogText().contains(reason));
            QCOMPARE(ProgressCellOf(job).text, QString(" Failed "));
            QCOMPARE(f->OutputFiles(), QStringList{});
        }
    }

    // Tools that all succeed but write nothing: the file of an earlier run proves nothing, and
    // stays as it was.
    void earlierResultIsNoProofOfThisRun()
    {
        f->WriteProfile("3GP_AMR_Profile.ini",
                        Profile({Tool("pass1"), Tool("pass2"), Tool("pass3")}));
        AddJob("/v/a.avi");
        QFile earlier(f->outputDir.filePath("a.3gp"));
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("an earlier run");
        earlier.close();
        f->Run();
        const ConversionJob job = f->state.jobs.copyOut(0);
        QCOMPARE(job.failed, 1);
        QCOMPARE(job.failureReason, earlier.fileName() + " was not written");
        QVERIFY(earlier.open(QIODevice::ReadOnly));
        QCOMPARE(earlier.readAll(), QByteArray("an earlier run"));
    }

    void preflightNamesTheProgram_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("problem");
        QTest::newRow("missing on the search path")
            << "no-such-encoder -i x"
            << "the program \"no-such-encoder\" of command 2 cannot be found in ";
        QTest::newRow("missing folder")
            << "/nowhere/ffmpeg -i x"
            << "the program \"/nowhere/ffmpeg\" of command 2 cannot be found";
        QTest::newRow("not executable in the engine folder") << "3GP_AMR_Profile.ini"
                                                             << "of command 2 is not executable";
        QTest::newRow("empty") << "\"\""
                               << "the program \"\" of command 2 cannot be found";
        QTest::newRow("all there") << FAKE_ENCODER << "";
    }
    void preflightNamesTheProgram()
    {
        QFETCH(QString, command);
        QFETCH(QString, problem);
        f->WriteProfile("3GP_AMR_Profile.ini", Profile({Tool("pass1"), command, Tool("pass3")}));
        const QString found = f->pipeline.ProfileProblem();
        QVERIFY2(problem.isEmpty() ? found.isEmpty() : found.contains(problem), qPrintable(found));
    }

    void badProfileFiles_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("problem");
        QByteArray noise(64 * 1024, '\0');
        for (qsizetype i = 0; i < noise.size(); ++i)
            noise[i] = char((i * 7919 + 13) % 251);
        QTest::newRow("random bytes") << noise << "/app/3GP_AMR_Profile.ini is missing or empty";
        const QByteArray longLine = "Command1=" + QByteArray(100000, 'x') + "\n";
        QTest::newRow("100,000-character command")
            << "[Info]\n[P]\nTitle=P\n" + longLine + "Command2=a\nCommand3=b\n"
            << "the profile [P] has 1 lines";
        QByteArray lines = "[Info]\n[P]\nTitle=P\nCommand1=" FAKE_ENCODER "\nCommand2=" FAKE_ENCODER
                           "\nCommand3=" FAKE_ENCODER "\n";
        for (int i = 0; i < 10000; ++i)
            lines += "Extra" + QByteArray::number(i) + "=x\n";
        QTest::newRow("section of 10,000 lines") << lines << "";
    }
    void badProfileFiles()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, problem);
        f->WriteProfile("3GP_AMR_Profile.ini", text);
        const QString found = f->pipeline.ProfileProblem();
        QVERIFY2(problem.isEmpty() ? found.isEmpty() : found.contains(problem), qPrintable(found));
    }

    // A job writes and deletes only names of its own: one whose files would be another job's,
    // or a file already in the folder, is renamed as jobs of the same name are. "name" is a
    // file this batch wrote, "name=text" one that must keep its text.
    void namesThatWouldClashAreRenamed_data()
    {
        QTest::addColumn<QStringList>("sources");
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("a job's result is the next job's temporary file")
            << QStringList{"/v/b_temp.mp4", "/v/b.mp4"} << QStringList{}
            << QStringList{"b (2).3gp", "b_temp.3gp"};
        QTest::newRow("an earlier run's result is a temporary file")
            << QStringList{"/v/b.mp4"} << QStringList{"b_temp.3gp=yesterday"}
            << QStringList{"b (2).3gp", "b_temp.3gp=yesterday"};
        QTest::newRow("names that differ in letter case only, as on a memory card")
            << QStringList{"/v/Clip.mp4", "/w/clip.mp4"} << QStringList{"CLIP_TEMP.3GP=card"}
            << QStringList{"CLIP_TEMP.3GP=card", "Clip (2).3gp", "clip (3).3gp"};
        QTest::newRow("the job's own earlier result is replaced")
            << QStringList{"/v/b.mp4"} << QStringList{"b.3gp=yesterday"} << QStringList{"b.3gp"};
    }
    void namesThatWouldClashAreRenamed()
    {
        QFETCH(QStringList, sources);
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        Write3gpProfile();
        for (const QString &file : before) {
            QFile old(f->outputDir.filePath(file.section('=', 0, 0)));
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write(file.section('=', 1).toUtf8());
        }
        for (const QString &source : sources)
            AddJob(source);
        f->Run();
        for (int row = 0; row < sources.size(); ++row)
            QCOMPARE(f->state.jobs.copyOut(row).finished, 1);
        QStringList found;
        for (const QString &name : f->OutputFiles()) {
            QFile file(f->outputDir.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray text = file.readAll();
            found.append(text == "fake output\n" ? name : name + '=' + text);
        }
        QCOMPARE(found, after);
    }

    // A Stop that comes once the last pass has exited, before the job has seen it end, is
    // too late: every pass ran, so the job is done and its result stays.
    void stopAfterTheLastPassHasExitedIsTooLate()
    {
        f->WriteProfile("3GP_AMR_Profile.ini",
                        Profile({Tool("pass1", "--write \"$OUTPUT_DIR$OUTPUT_FILE_temp.3gp\""),
                                 Tool("pass2", "--write \"$OUTPUT_DIR$OUTPUT_FILE.3gp\""),
                                 Tool("pass3", "--quiet 200")}));
        AddJob("/v/a.avi");
        // Runs on this thread inside the pipeline's wait, so the wait cannot see the exit
        // before the cancel.
        QTimer stopper;
        connect(&stopper, &QTimer::timeout, [&] {
            if (!Passes().contains("pass3"))
                return;
            stopper.stop();
            QDeadlineTimer deadline(5000);
            while (!TestMedia::EncoderStates(f->outputDir.path(), "fake_encoder").isEmpty()
                   && !deadline.hasExpired())
                QThread::msleep(1);
            f->slot.cancelRequested = 1;
        });
        stopper.start(10);
        QVERIFY(f->pipeline.ConvertJob());
        QVERIFY(f->slot.cancelRequested);
        QCOMPARE(f->OutputFiles(), QStringList{"a.3gp"});
    }

    // Pause pressed while Stop waits for the encoders must not stop them: each must read its
    // "q" and end by itself, not be killed once the quit timeout has run out.
    void pauseDuringStopIsRefused()
    {
        Write3gpProfile("--quiet 1500 --hang");
        AddJob("/v/a.avi");
        AddJob("/v/b.avi");
        f->batch.SetJobsAtOnce(2);
        QElapsedTimer stopping;
        f->onRepaint = [&](int, int) {
            if (f->state.jobs.copyOut(0).stage != 1 || f->state.jobs.copyOut(1).stage != 1
                || stopping.isValid())
                return;
            stopping.start();
            QTimer::singleShot(0, [&] {
                QTimer::singleShot(100, [&] { f->batch.Pause(); });
                f->batch.StopConverting();
            });
        };
        f->Run();
        QVERIFY(stopping.isValid());
        QVERIFY2(stopping.elapsed() < EncoderRunner::QuitTimeoutMs,
                 qPrintable(QString::number(stopping.elapsed())));
        QCOMPARE(f->state.paused, quint8(0));
        QCOMPARE(f->OutputFiles(), QStringList{});
    }

    // Random Start, Pause, Resume and Stop against jobs that end by themselves, three at once,
    // with passes of random length. MIVARTEL_SEED replays a failure, MIVARTEL_ROUNDS sets the
    // number of rounds.
    void randomBatchesKeepEveryPromise()
    {
        const quint32 seed = qEnvironmentVariableIsSet("MIVARTEL_SEED")
                                 ? quint32(qEnvironmentVariableIntValue("MIVARTEL_SEED"))
                                 : QRandomGenerator::global()->generate();
        const int rounds = qEnvironmentVariableIsSet("MIVARTEL_ROUNDS")
                               ? qEnvironmentVariableIntValue("MIVARTEL_ROUNDS")
                               : 300;
        qInfo("seed %u (MIVARTEL_SEED=%u replays it)", seed, seed);
        QRandomGenerator random(seed);
        for (int round = 0; round < rounds; ++round) {
            init();
            const QString where = QStringLiteral("seed %1, round %2").arg(seed).arg(round);
            // Each pass's length in ms is in the job's name, read by the stand-in.
            f->WriteProfile("3GP_AMR_Profile.ini",
                            Profile({Tool("pass1",
                                          "--write \"$OUTPUT_DIR$OUTPUT_FILE_temp.3gp\" --status 2 "
                                          "--quiet-field \"$OUTPUT_FILE\" 1"),
                                     Tool("pass2",
                                          "--write \"$OUTPUT_DIR$OUTPUT_FILE.3gp\" "
                                          "--quiet-field \"$OUTPUT_FILE\" 2"),
                                     Tool("pass3", "--quiet-field \"$OUTPUT_FILE\" 3")}));
            const int jobs = random.bounded(1, 6);
            for (int job = 0; job < jobs; ++job) {
                AddJob(QStringLiteral("/v/j%1-%2-%3-%4.avi")
                           .arg(job)
                           .arg(random.bounded(60))
                           .arg(random.bounded(40))
                           .arg(random.bounded(40)));
            }
            // A file of the user's under the first job's temporary name.
            const QString bystander = f->state.jobs.copyOut(0).outputName + "_temp.3gp";
            QFile mine(f->outputDir.filePath(bystander));
            QVERIFY(mine.open(QIODevice::WriteOnly) && mine.write("mine") == 4);
            mine.close();
            f->batch.SetJobsAtOnce(3);

            // The round's timers go with it, so none reaches the next round.
            QObject scope;
            QElapsedTimer clock;
            qint64 lastAction = 0;
            const auto act = [&](int after, void (BatchConversion::*action)()) {
                QTimer::singleShot(after, &scope, [&, action] {
                    lastAction = clock.elapsed();
                    (f->batch.*action)();
                });
            };
            const std::array actions{&BatchConversion::Pause,
                                     &BatchConversion::Resume,
                                     &BatchConversion::StopConverting};
            int at = 0;
            int last = -1;
            for (int n = random.bounded(5); n > 0; --n) {
                at += random.bounded(150);
                last = random.bounded(3);
                act(at, actions[last]);
            }
            if (last == 0)
                act(at + random.bounded(150), &BatchConversion::Resume);
            // A batch that hangs is a fault; the watchdog only keeps the test from hanging.
            bool hung = false;
            QTimer::singleShot(20000, &scope, [&] {
                hung = true;
                f->batch.StopConverting();
            });
            clock.start();
            f->Run();
            const qint64 ended = clock.elapsed();

            QVERIFY2(!hung, qPrintable(where));
            QVERIFY2(ended - lastAction < 5000,
                     qPrintable(where
                                + QStringLiteral(": ended %1 ms after the last action")
                                      .arg(ended - lastAction)));
            QStringList expected{bystander};
            for (int row = 0; row < jobs; ++row) {
                const ConversionJob job = f->state.jobs.copyOut(row);
                QVERIFY2(job.failed == 0, qPrintable(where + ": " + job.failureReason));
                if (job.finished)
                    expected.append(job.outputName + ".3gp");
            }
            expected.sort();
            QStringList found = f->OutputFiles();
            QCOMPARE(found, expected);
            for (const QString &name : std::as_const(found)) {
                QFile file(f->outputDir.filePath(name));
                QVERIFY(file.open(QIODevice::ReadOnly));
                QCOMPARE(file.readAll(), QByteArray(name == bystander ? "mine" : "fake output\n"));
            }
            QVERIFY2(TestMedia::EncoderStates(f->outputDir.path(), "fake_encoder").isEmpty(),
                     qPrintable(where));
            cleanup();
        }
    }

    // A row of an earlier run that a new batch takes is not started again: until the batch
    // reaches it, and when Stop comes first, its cell is empty, in the list and in the saved
    // list that the next start reads.
    void rowsThatNeverStartedShowNothingAfterAStop_data()
    {
        QTest::addColumn<int>("finished");
        QTest::addColumn<int>("failed");
        QTest::addColumn<int>("stage");
        QTest::newRow("finished 3GP") << 1 << 0 << int(JobStage::SecondPhase);
        QTest::newRow("finished 3G2") << 1 << 0 << int(JobStage::ThirdPhase);
        QTest::newRow("failed while finishing") << 0 << 1 << int(JobStage::SecondPhase);
        QTest::newRow("canceled") << 0 << 0 << int(JobStage::Canceled);
    }
    void rowsThatNeverStartedShowNothingAfterAStop()
    {
        QFETCH(int, finished);
        QFETCH(int, failed);
        QFETCH(int, stage);
        Write3gpProfile("--hang");
        AddJob("/v/first.avi");
        AddJob("/v/earlier.avi");
        ConversionJob earlier = f->state.jobs.copyOut(1);
        earlier.finished = finished;
        earlier.failed = failed;
        earlier.stage = stage;
        earlier.sizeKB = 77;
        f->state.jobs.replace(1, earlier);
        QString seenAtStart = "(no repaint)";
        f->onRepaint = [&](int, int) {
            if (seenAtStart == "(no repaint)")
                seenAtStart = ProgressCellOf(f->state.jobs.copyOut(1)).text;
            const ConversionJob current = f->state.jobs.copyOut(0);
            if (current.stage == JobStage::FirstPass && current.sizeKB > 0
                && !f->state.cancelRequested)
                QTimer::singleShot(0, [this] { f->batch.StopConverting(); });
        };
        f->Run();
        QCOMPARE(seenAtStart, QString());
        QCOMPARE(ProgressCellOf(f->state.jobs.copyOut(0)).text, QString("Canceled"));
        const ProgressCell cell = ProgressCellOf(f->state.jobs.copyOut(1));
        QCOMPARE(cell.text, QString());
        QCOMPARE(cell.progressMax, -1);
        const std::optional<SavedJobs> restored
            = JobListFile::Decode(JobListFile::Encode(f->state));
        QVERIFY(restored && restored->jobs.size() == 2);
        QCOMPARE(ProgressCellOf(restored->jobs[1]).text, QString());
    }
};

QTEST_GUILESS_MAIN(TestConversionPipeline)
#include "tst_conversionpipeline.moc"
