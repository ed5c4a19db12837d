#include "engine/sourcepicturerates.h"

#include "engine/mediastreams.h"

void SourcePictureRates::Start(QList<std::pair<int, QString>> sources)
{
    if (m_reader.joinable()) {
        m_reader.request_stop();
        m_reader.join();
    }
    {
        QMutexLocker lock(&m_lock);
        m_rates.clear();
    }
    m_reader = std::jthread([this, sources = std::move(sources)](std::stop_token stop) {
        for (const auto &[row, path] : sources) {
            if (stop.stop_requested())
                return;
            const std::optional<double> rate = MediaStreams::PictureRate(path);
            QMutexLocker lock(&m_lock);
            m_rates.insert(row, rate);
        }
    });
}

std::optional<std::optional<double>> SourcePictureRates::Value(int row) const
{
    QMutexLocker lock(&m_lock);
    const auto found = m_rates.constFind(row);
    if (found == m_rates.cend())
        return std::nullopt;
    return *found;
}
