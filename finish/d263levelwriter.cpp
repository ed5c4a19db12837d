#include "finish/d263levelwriter.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <functional>

namespace {

using Bytes = std::vector<unsigned char>;

// The index ('moov') is read whole; a phone clip's index is a few hundred kilobytes.
constexpr std::uint64_t MaxIndexBytes = std::uint64_t(64) << 20;
// 'stsd' payload before its entries: version and flags, entry count.
constexpr std::uint64_t SampleDescriptionFields = 8;
// A visual sample entry's fixed fields before its child boxes (ISO/IEC 14496-12).
constexpr std::uint64_t VisualEntryFields = 78;
// 'd263' payload: vendor (4), decoder version (1), level (1), profile (1).
constexpr std::uint64_t D263Fields = 7;
constexpr std::uint64_t D263LevelAt = 5;

struct Box
{
    std::string type;
    std::uint64_t payload = 0; // offset of the payload
    std::uint64_t end = 0;     // offset just after the box
};

std::uint64_t BigEndian(const unsigned char *data, int bytes)
{
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 8) | data[i];
    return value;
}

// Decodes the header of the box at pos inside a parent that ends at end; head holds the bytes
// from pos on (available of them). False when the header or the box does not fit the parent.
bool DecodeHeader(const unsigned char *head,
                  std::uint64_t available,
                  std::uint64_t pos,
                  std::uint64_t end,
                  Box &box)
{
    const std::uint64_t room = end - pos;
    if (room < 8 || available < 8)
        return false;
    std::uint64_t size = BigEndian(head, 4);
    std::uint64_t header = 8;
    if (size == 1) {
        if (room < 16 || available < 16)
            return false;
        size = BigEndian(head + 8, 8);
        header = 16;
    } else if (size == 0) {
        size = room; // up to the end of the parent
    }
    if (size < header || size > room)
        return false;
    box.type.assign(reinterpret_cast<const char *>(head + 4), 4);
    box.payload = pos + header;
    box.end = pos + size;
    return true;
}

// Visits the boxes that fill [begin, end) of data, in order; false when one does not fit or
// the visitor says so.
bool ForEachBox(const Bytes &data,
                std::uint64_t begin,
                std::uint64_t end,
                const std::function<bool(const Box &)> &visit)
{
    for (std::uint64_t pos = begin; pos < end;) {
        Box box;
        if (!DecodeHeader(data.data() + pos, data.size() - pos, pos, end, box) || !visit(box))
            return false;
        pos = box.end;
    }
    return true;
}

// Descends through the named containers and calls leaf for every box reached by the path.
bool Descend(const Bytes &data,
             const Box &parent,
             const std::vector<std::string> &path,
             std::size_t depth,
             const std::function<bool(const Box &)> &leaf)
{
    if (depth == path.size())
        return leaf(parent);
    return ForEachBox(data, parent.payload, parent.end, [&](const Box &child) {
        return child.type != path[depth] || Descend(data, child, path, depth + 1, leaf);
    });
}

// Collects the level offsets (relative to data) of the H.263 entries of one 'stsd'.
bool ScanSampleDescription(const Bytes &data, const Box &stsd, std::vector<std::uint64_t> &found)
{
    if (stsd.end - stsd.payload < SampleDescriptionFields)
        return false;
    const std::uint64_t entries = BigEndian(data.data() + stsd.payload + 4, 4);
    std::uint64_t pos = stsd.payload + SampleDescriptionFields;
    for (std::uint64_t i = 0; i < entries; ++i) {
        Box entry;
        if (pos >= stsd.end
            || !DecodeHeader(data.data() + pos, data.size() - pos, pos, stsd.end, entry))
            return false;
        pos = entry.end;
        if (entry.type != "s263")
            continue;
        if (entry.end - entry.payload < VisualEntryFields)
            return false;
        const bool ok
            = ForEachBox(data, entry.payload + VisualEntryFields, entry.end, [&](const Box &box) {
                  if (box.type != "d263")
                      return true;
                  if (box.end - box.payload < D263Fields)
                      return false;
                  found.push_back(box.payload + D263LevelAt);
                  return true;
              });
        if (!ok)
            return false;
    }
    return true;
}

} // namespace

bool D263LevelWriter::IsKnownLevel(int level)
{
    for (int known : {10, 20, 30, 40, 45, 50, 60, 70}) {
        if (level == known)
            return true;
    }
    return false;
}

D263LevelWriter::Outcome D263LevelWriter::FindLevelOffsets(const std::string &path,
                                                           std::vector<std::uint64_t> &offsets)
{
    offsets.clear();
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return Outcome::NotReadable;
    file.seekg(0, std::ios::end);
    const std::streamoff length = file.tellg();
    if (length < 0)
        return Outcome::NotReadable;
    const std::uint64_t fileSize = std::uint64_t(length);

    bool indexSeen = false;
    for (std::uint64_t pos = 0; pos < fileSize;) {
        std::array<unsigned char, 16> head{};
        const std::uint64_t available = std::min<std::uint64_t>(head.size(), fileSize - pos);
        file.seekg(std::streamoff(pos));
        if (!file.read(reinterpret_cast<char *>(head.data()), std::streamsize(available)))
            return Outcome::NotReadable;
        Box box;
        if (!DecodeHeader(head.data(), available, pos, fileSize, box))
            return Outcome::Malformed;
        pos = box.end;
        if (box.type != "moov")
            continue;
        // Two indexes would leave it open which one a player reads.
        if (indexSeen || box.end - box.payload > MaxIndexBytes)
            return Outcome::Malformed;
        indexSeen = true;
        Bytes index(box.end - box.payload);
        file.seekg(std::streamoff(box.payload));
        if (!file.read(reinterpret_cast<char *>(index.data()), std::streamsize(index.size())))
            return Outcome::NotReadable;
        const Box moov{"moov", 0, index.size()};
        std::vector<std::uint64_t> found;
        const bool ok = Descend(
            index, moov, {"trak", "mdia", "minf", "stbl", "stsd"}, 0, [&](const Box &stsd) {
                return ScanSampleDescription(index, stsd, found);
            });
        if (!ok)
            return Outcome::Malformed;
        for (std::uint64_t offset : found)
            offsets.push_back(box.payload + offset);
    }
    if (!indexSeen)
        return Outcome::Malformed;
    return offsets.empty() ? Outcome::NoH263Track : Outcome::Written;
}

D263LevelWriter::Outcome
D263LevelWriter::Write(const std::string &path, int level, std::string &detail)
{
    std::vector<std::uint64_t> offsets;
    const Outcome found = FindLevelOffsets(path, offsets);
    switch (found) {
    case Outcome::Written:
        break;
    case Outcome::NotReadable:
        detail = "cannot be read";
        return found;
    case Outcome::Malformed:
        detail = "is not a well-formed 3GP or 3G2 file";
        return found;
    case Outcome::NoH263Track:
        detail = "holds no H.263 track";
        return found;
    case Outcome::NotWritable:
        detail = "cannot be written";
        return found;
    }
    std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
    for (std::uint64_t offset : offsets) {
        file.seekp(std::streamoff(offset));
        file.put(char(level));
    }
    file.flush();
    if (!file) {
        detail = "cannot be written";
        return Outcome::NotWritable;
    }
    return Outcome::Written;
}
