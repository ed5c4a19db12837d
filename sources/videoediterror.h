#pragma once

#include <QString>

#include <stdexcept>

// What CVideoEdit throws where the media component reports a failure: a file it cannot
// read, a range that does not lie in the file. Callers that only show a picture drop it.
class VideoEditError : public std::runtime_error
{
public:
    explicit VideoEditError(const QString &message)
        : std::runtime_error(message.toStdString())
    {}
};
