#pragma once

#include "cli/progressreport.h"
#include "engine/cellrepainter.h"
#include "engine/conversionengine.h"
#include "engine/intermediatetranscode.h"
#include "engine/timelineexporter.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

class QTextStream;

// mivartel-cli: lists the output types and profiles, or converts files as one batch through
// the same engine as the window, showing the Progress text of the running jobs on standard
// error: on one line on a terminal, else a line as each job starts and ends.
class ConsoleFrontEnd : public CellRepainter
{
public:
    enum ExitCode { AllConverted = 0, SomeFailed = 1, UsageError = 2, Stopped = 130 };

    ConsoleFrontEnd(const QString &programDirectory, QTextStream &out, QTextStream &err);

    int Run(const QStringList &arguments);
    // Ctrl-C: Stop Converting.
    void Stop();

    void RepaintCells(int firstRow, int lastRow, int column) override;
    void ShowStartedRow(int row) override;

private:
    struct Options
    {
        bool help = false;
        bool version = false;
        bool list = false;
        bool evenLoudness = false;
        int outputType = 0;
        std::optional<int> profile; // 1-based
        QString outputDirectory;
        std::optional<double> begin;
        std::optional<double> end;
        std::optional<int> jobs;
        QStringList files;
    };

    std::optional<Options> ParseArguments(const QStringList &arguments);
    int Usage(const QString &problem);
    int Help();
    int Version();
    int List();
    int Convert(const Options &options);
    // Adds a job for every source that can be measured; the others are said on standard error
    // and kept as failed. False (after the usage text) when a range lies outside a source.
    bool AddJobs(const Options &options);
    // The profile or its programs cannot run: said on standard error, status 1.
    int CannotConvert(const QString &problem);
    // One line per source, in the order given: the job's output and result, or why it failed.
    void PrintSummary();
    // "  (about 4 min left)" while the batch has a figure and jobs to run, else nothing.
    QString TimeLeft();
    JobProgressText TextOf(int row, const ConversionJob &job, const QString &progress) const;

    struct Source
    {
        QString file;    // as given
        int job = -1;    // its job, -1 when it could not be measured
        QString problem; // why not
    };

    ConversionEngine m_engine;
    // RealMedia sources go through an intermediate file, as in the window.
    TimelineExporter m_exporter;
    IntermediateTranscode m_transcode;
    QTextStream &m_out;
    QTextStream &m_err;
    QList<Source> m_sources;
    ProgressReport m_report;
    QSet<int> m_ended; // the jobs whose end has been shown
};
