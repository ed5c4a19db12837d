#include "engine/sizebound.h"

#include "engine/commandtemplate.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace {

// The 3GP container around the streams, measured on H.263 at 15 fps with AMR-NB after the
// finishing pass (headers, titles, sample tables): about 1.3 KB plus 0.31 KB a second. Rounded
// up, so that the estimate errs toward a smaller file.
constexpr double FixedContainerBytes = 2000.0;
constexpr double ContainerBytesPerSecond = 360.0;
// Aim a little under the bound: the encoder's rate control misses by a few percent either way.
constexpr double FirstTryShare = 0.96;
constexpr double SecondTryMargin = 0.03;

// "12.2k", "96000", "1.5M" as kbit/s; 0 when absent or not a rate.
double Kbps(const QString &value)
{
    static const QRegularExpression rate(QStringLiteral("^(\\d+(?:\\.\\d+)?)([kKmM]?)$"));
    const QRegularExpressionMatch match = rate.match(value);
    if (!match.hasMatch())
        return 0.0;
    const double number = match.captured(1).toDouble();
    const QString unit = match.captured(2).toLower();
    return unit == QLatin1String("k")   ? number
           : unit == QLatin1String("m") ? number * 1000.0
                                        : number / 1000.0;
}

} // namespace

std::optional<SizeBound> SizeBound::Parse(const QString &maxSize, const QStringList &firstCommand)
{
    static const QRegularExpression size(
        QStringLiteral("^\\s*(\\d+(?:\\.\\d+)?)\\s*([kKmM]?)[bB]?\\s*$"));
    const QRegularExpressionMatch match = size.match(maxSize);
    if (!match.hasMatch())
        return std::nullopt;
    const QString unit = match.captured(2).toLower();
    const double scale = unit == QLatin1String("k") ? 1e3 : unit == QLatin1String("m") ? 1e6 : 1.0;
    const double bytes = match.captured(1).toDouble() * scale;
    if (!(bytes >= 1.0 && bytes < 1e12))
        return std::nullopt;
    SizeBound bound;
    bound.m_maxBytes = qint64(bytes);
    bound.m_audioKbps = Kbps(OptionValue(firstCommand, QStringLiteral("-b:a")));
    // The profiles' own rates leave an eighth of the peak to the rate control's swings.
    bound.m_capKbps
        = int(std::floor(Kbps(OptionValue(firstCommand, QStringLiteral("-maxrate"))) * 0.875));
    return bound;
}

double SizeBound::ContainerBytes(double seconds) const
{
    return FixedContainerBytes + ContainerBytesPerSecond * seconds;
}

int SizeBound::VideoKbps(double seconds) const
{
    if (!(seconds > 0.0))
        return 0;
    const double streamBytes = double(m_maxBytes) * FirstTryShare - ContainerBytes(seconds);
    const double kbps = std::floor(streamBytes * 8.0 / 1000.0 / seconds - m_audioKbps);
    if (m_capKbps > 0 && kbps > m_capKbps)
        return m_capKbps;
    return int(std::clamp(kbps, -1.0, 1e6));
}

int SizeBound::LoweredKbps(int kbps, qint64 actualBytes, double seconds) const
{
    if (!(seconds > 0.0))
        return kbps;
    // The overshoot came from the picture: take it, and a margin of the bound, off its rate.
    const double overBytes = double(actualBytes - m_maxBytes) + SecondTryMargin * m_maxBytes;
    const double lowered = std::floor(kbps - overBytes * 8.0 / 1000.0 / seconds);
    return int(std::clamp(lowered, double(LowestVideoKbps), double(kbps)));
}

int SizeBound::LongestRange() const
{
    const double kbitPerSecond
        = LowestVideoKbps + m_audioKbps + ContainerBytesPerSecond * 8.0 / 1000.0;
    const double kbit = (double(m_maxBytes) * FirstTryShare - FixedContainerBytes) * 8.0 / 1000.0;
    return std::max(0, int(std::floor(kbit / kbitPerSecond)));
}

qint64 SizeBound::ExpectedBytes(double seconds) const
{
    const int video = std::max(VideoKbps(seconds), 0);
    return qint64((video + m_audioKbps) * 1000.0 / 8.0 * seconds + ContainerBytes(seconds));
}

QString SizeBound::SizeText(qint64 bytes)
{
    if (bytes >= 1000000)
        return QStringLiteral("%1 MB").arg(QString::number(double(bytes) / 1e6, 'g', 3));
    // An overshoot of a few hundred bytes is not "0 KB".
    if (bytes < 1000)
        return QStringLiteral("%1 bytes").arg(bytes);
    return QStringLiteral("%1 KB").arg(qRound64(double(bytes) / 1e3));
}
