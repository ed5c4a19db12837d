#pragma once

#include <QHash>
#include <QMutex>
#include <QString>

#include <optional>
#include <thread>
#include <utility>

// The picture rates (pixels a second) of a batch's sources, read from their headers on a
// thread of its own, so that a slow disk never holds the window.
//
// Threads: Start, Value and the destructor are called from one thread (the batch loop's). The
// reader thread writes only m_rates, under m_lock; the paths it reads are its own copy.
class SourcePictureRates
{
public:
    SourcePictureRates() = default;
    SourcePictureRates(const SourcePictureRates &) = delete;
    SourcePictureRates &operator=(const SourcePictureRates &) = delete;
    // Waits for the reader, which stops after the source it is reading.
    ~SourcePictureRates() = default;

    // Forgets what was read, and reads the sources, given as (row, path), in their order.
    void Start(QList<std::pair<int, QString>> sources);
    // The row's rate once read: nothing inside when the source has no picture track or its
    // headers do not tell; nothing at all while it is not read yet.
    std::optional<std::optional<double>> Value(int row) const;

private:
    mutable QMutex m_lock;
    QHash<int, std::optional<double>> m_rates;
    // Last: destroyed, so joined, before what it writes to.
    std::jthread m_reader;
};
