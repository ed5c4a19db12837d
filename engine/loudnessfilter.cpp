#include "engine/loudnessfilter.h"

#include "engine/commandtemplate.h"

namespace {

// The peak target sits a dB under the promise: coding adds to the peaks. AMR-NB's speech
// coder gives tones and noise back a dB or two quieter, and its peaks higher, than it was
// given them (measured on tones, noise and a speech-like mix): its sound is aimed a dB louder
// with the peaks lower.
const QString Normalize = QStringLiteral("loudnorm=I=-16:TP=-2.5:LRA=11");
const QString NormalizeForSpeechCoder = QStringLiteral("loudnorm=I=-15:TP=-3:LRA=11");
constexpr int SpeechCoderRate = 8000;

bool IsWholeNumber(const QString &text)
{
    bool ok = false;
    return text.toInt(&ok) > 0 && ok;
}

} // namespace

QStringList LoudnessFilter(const QStringList &firstCommand)
{
    QStringList chain;
    const QString rate = OptionValue(firstCommand, QStringLiteral("-ar"));
    if (IsWholeNumber(rate))
        chain.append(QStringLiteral("aresample=") + rate);
    const QString channels = OptionValue(firstCommand, QStringLiteral("-ac"));
    if (channels == QLatin1String("1") || channels == QLatin1String("2")) {
        chain.append(
            QStringLiteral("aformat=channel_layouts=")
            + (channels == QLatin1String("1") ? QStringLiteral("mono") : QStringLiteral("stereo")));
    }
    chain.append(rate.toInt() == SpeechCoderRate ? NormalizeForSpeechCoder : Normalize);
    return {QStringLiteral("-af"), chain.join(QLatin1Char(','))};
}
