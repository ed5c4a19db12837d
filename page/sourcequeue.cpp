#include "page/sourcequeue.h"

#include "engine/sharedstate.h"
#include "page/notices.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QTimer>

namespace {

// However few files a step lists, it gives the event loop its turn after this long.
constexpr qint64 StepBudgetMs = 20;

} // namespace

SourceQueue::SourceQueue(const PageParts &parts, Listing listing)
    : m_parts(parts)
    , m_listing(std::move(listing))
    , m_countLabel(new QLabel(&parts.page))
{
    m_worker.setMaxThreadCount(1);
    m_countLabel->setObjectName(QStringLiteral("pendingSources"));
    m_countLabel->setGeometry(CountPlace);
    m_countLabel->hide();
}

void SourceQueue::OnBatchStarted()
{
    ShowCount();
}

void SourceQueue::OnBatchUnwound()
{
    ScheduleStep();
}

SourceQueue::~SourceQueue()
{
    {
        QMutexLocker lock(&m_mutex);
        ++m_generation;
    }
    m_worker.clear();
    m_worker.waitForDone();
}

void SourceQueue::Enqueue(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    QStringList absolute;
    for (const QString &path : paths) {
        // The list and the worker keep absolute names, whatever folder the program is in.
        absolute.append(QFileInfo(path).absoluteFilePath());
        m_waiting.push_back(absolute.last());
    }
    m_sets.push_back({int(absolute.size()), {}});
    quint64 generation = 0;
    {
        QMutexLocker lock(&m_mutex);
        generation = m_generation;
    }
    m_worker.start([this, absolute, generation] { Measure(absolute, generation); });
    ShowCount();
}

void SourceQueue::Clear()
{
    {
        QMutexLocker lock(&m_mutex);
        ++m_generation;
        m_measured.clear();
    }
    m_worker.clear();
    m_waiting.clear();
    m_ready.clear();
    m_sets.clear();
    m_listedSinceShown = false;
    ShowCount();
}

void SourceQueue::Measure(const QStringList &paths, quint64 generation)
{
    for (const QString &path : paths) {
        {
            QMutexLocker lock(&m_mutex);
            if (m_generation != generation)
                return;
        }
        // The widget's GetMediaDuration is this call; it is made here without the widget.
        MediaDuration duration = ExamineMediaDuration(path);
        QMutexLocker lock(&m_mutex);
        if (m_generation != generation)
            return;
        // One wake-up for however many results pile up before the UI thread takes them.
        const bool wake = m_measured.isEmpty();
        m_measured.append(std::move(duration));
        if (wake)
            QMetaObject::invokeMethod(this, &SourceQueue::ScheduleStep, Qt::QueuedConnection);
    }
}

void SourceQueue::ScheduleStep()
{
    if (m_stepScheduled)
        return;
    m_stepScheduled = true;
    QTimer::singleShot(0, this, &SourceQueue::ListMeasured);
}

void SourceQueue::ListMeasured()
{
    m_stepScheduled = false;
    {
        QMutexLocker lock(&m_mutex);
        for (MediaDuration &measured : m_measured)
            m_ready.push_back(std::move(measured));
        m_measured.clear();
    }
    // Held: the batch's end schedules the next step.
    if (m_parts.state.converting) {
        ShowCount();
        return;
    }
    QList<QStringList> notices;
    QElapsedTimer spent;
    spent.start();
    for (int listed = 0; listed < FilesPerStep && !m_ready.empty() && !m_waiting.empty()
                         && spent.elapsed() < StepBudgetMs;
         ++listed) {
        const MediaDuration measured = std::move(m_ready.front());
        m_ready.pop_front();
        const QString path = m_waiting.front();
        m_waiting.pop_front();
        Set &set = m_sets.front();
        if (measured.seconds) {
            m_listing.list(path, *measured.seconds);
            m_listedSinceShown = true;
        } else {
            set.refused.append(
                QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), measured.problem));
        }
        if (--set.left == 0) {
            if (!set.refused.isEmpty())
                notices.append(set.refused);
            m_sets.pop_front();
        }
    }
    // Only the last file needs its picture: one playback instead of one per file.
    if (m_waiting.empty() && m_listedSinceShown) {
        m_listedSinceShown = false;
        m_listing.listed();
    }
    ShowCount();
    if (!m_ready.empty())
        ScheduleStep();
    // Last, with everything in place: a modal notice runs the event loop, and later steps
    // with it.
    for (const QStringList &refused : notices)
        m_parts.notices.Show(&m_parts.page,
                             UnreadableSourcesText(refused),
                             QStringLiteral("Error"),
                             QMessageBox::Critical);
}

void SourceQueue::ShowCount()
{
    const int count = pendingCount();
    if (count == 0) {
        m_countLabel->hide();
        return;
    }
    m_countLabel->setText(m_parts.state.converting
                              ? QStringLiteral("Files to add when converting ends: %1").arg(count)
                              : QStringLiteral("Adding files: %1 to go").arg(count));
    m_countLabel->show();
}
