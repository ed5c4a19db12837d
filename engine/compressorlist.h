#pragma once

#include <QList>
#include <QString>

// The video or audio compressors that an export can use: display names (what the user and
// the intermediate transcode search) paired with the ffmpeg encoder that does the work.
class CompressorList
{
public:
    struct Entry
    {
        QString name;    // display name
        QString encoder; // ffmpeg's encoder name, as given to -c:v / -c:a
    };

    CompressorList() = default;
    explicit CompressorList(QList<Entry> entries)
        : m_entries(std::move(entries))
    {}

    // The encoders of this machine's FFmpeg that can be stored in an AVI file, in FFmpeg's
    // order, hardware-only and experimental ones left out.
    static CompressorList VideoCompressorsOfThisMachine();
    static CompressorList AudioCompressorsOfThisMachine();

    short Count() const { return short(m_entries.size()); }
    // The display name at index; empty for an index outside the list.
    QString Item(short index) const;
    // The encoder at index; empty for an index outside the list.
    QString EncoderAt(short index) const;

private:
    QList<Entry> m_entries;
};
