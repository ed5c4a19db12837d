#pragma once

#include <QString>

#include <stdexcept>

// What CVideoEdit throws where the media component reports a failure: a file it cannot
// read, a range that does not lie in the file. Callers that only show a picture drop it.
class VideoEditError : public std::runtime_error
{
public:
    // `reason` is what a user is told, without the file's name; empty when the message says it.
    explicit VideoEditError(const QString &message, const QString &reason = {})
        : std::runtime_error(message.toStdString())
        , m_reason(reason)
    {}

    QString reason() const { return m_reason; }

private:
    QString m_reason;
};
