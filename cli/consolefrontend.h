#pragma once

#include "engine/cellrepainter.h"
#include "engine/conversionpipeline.h"
#include "engine/encoderrunner.h"
#include "engine/intermediatetranscode.h"
#include "engine/jobprogress.h"
#include "engine/profilecatalog.h"
#include "engine/sharedstate.h"
#include "engine/timelineexporter.h"
#include "page/batchconversion.h"

#include <QString>
#include <QStringList>

#include <optional>

class QTextStream;

// mivartel-cli: lists the output types and profiles, or converts files as one batch through
// the same engine as the window, showing the Progress text of the running job.
class ConsoleFrontEnd : public CellRepainter
{
public:
    enum ExitCode { AllConverted = 0, SomeFailed = 1, UsageError = 2, Stopped = 130 };

    ConsoleFrontEnd(const QString &programDirectory, QTextStream &out, QTextStream &err);

    int Run(const QStringList &arguments);
    // Ctrl-C: Stop Converting.
    void Stop();

    void RepaintCells(int firstRow, int lastRow, int column) override;

private:
    struct Options
    {
        bool help = false;
        bool version = false;
        bool list = false;
        int outputType = 0;
        std::optional<int> profile; // 1-based
        QString outputDirectory;
        std::optional<double> begin;
        std::optional<double> end;
        QStringList files;
    };

    std::optional<Options> ParseArguments(const QStringList &arguments);
    int Usage(const QString &problem);
    int Help();
    int Version();
    int List();
    int Convert(const Options &options);
    bool AddJobs(const Options &options);
    void PrintSummary();

    SharedState m_state;
    ProfileCatalog m_catalog;
    JobProgress m_progress;
    EncoderRunner m_runner;
    ConversionPipeline m_pipeline;
    BatchConversion m_batch;
    // RealMedia sources go through an intermediate file, as in the window.
    TimelineExporter m_exporter;
    IntermediateTranscode m_transcode;
    QTextStream &m_out;
    QTextStream &m_err;
    QString m_lastLine;
    int m_lastRow = -1;
};
