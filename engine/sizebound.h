#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

// A profile's bound on the size of its files ("MaxSize=300K" in its section, for a message that
// must fit what a carrier takes), and the video rate that fills it for a range of a given
// length. Plain values: any thread.
class SizeBound
{
public:
    // Below this a picture is no longer worth sending; a range that would need less is refused.
    static constexpr int LowestVideoKbps = 16;

    // From the MaxSize value ("300K", "300 KB", "1.5M" or bytes; K is 1,000 bytes, M 1,000,000)
    // and the profile's first command, whose -b:a gives the sound's rate and whose -maxrate, when
    // there is one, caps the picture's at seven eighths of it. Nothing when the value is empty or
    // not a size.
    static std::optional<SizeBound> Parse(const QString &maxSize, const QStringList &firstCommand);

    qint64 maxBytes() const { return m_maxBytes; }

    // The video rate, in kbit/s, that fills the bound for a range of so many seconds: what is
    // left after the sound and the container's allowance, never above the profile's cap. Below
    // LowestVideoKbps when the range cannot fit.
    int VideoKbps(double seconds) const;
    // The rate for the second try after a file of actualBytes came out of a try at kbps: lowered
    // by the overshoot, with a margin, since the same encoder overshoots the same way again.
    int LoweredKbps(int kbps, qint64 actualBytes, double seconds) const;
    // The longest range, in whole seconds, that fits at LowestVideoKbps.
    int LongestRange() const;
    // What a file of a range of so many seconds should weigh at VideoKbps.
    qint64 ExpectedBytes(double seconds) const;

    // "300 KB", "1 MB", "1.5 MB": the units of the profiles' titles (1,000s); under a
    // kilobyte, "400 bytes".
    static QString SizeText(qint64 bytes);

private:
    double ContainerBytes(double seconds) const;

    qint64 m_maxBytes = 0;
    double m_audioKbps = 0.0;
    int m_capKbps = 0; // 0 when the profile sets no -maxrate
};
