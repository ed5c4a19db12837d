#pragma once

#include <QString>

// The error log "log.txt". It lies in the engine's folder; when that folder cannot be written,
// in the user's state folder instead ($XDG_STATE_HOME/mivartel, else ~/.local/state/mivartel).
// Entries are only ever appended.

// Where the log of the engine folder engineDirectory is written.
QString LogPath(const QString &engineDirectory);
// Appends the text; a log that cannot be opened loses the entry silently.
void AppendToLog(const QString &engineDirectory, const QString &text);
// Appends one three-line entry for a failed call: its name, the errno value and its text.
void LogApiError(const QString &engineDirectory, const char *apiName, int errorCode);
// The entry that LogApiError writes.
QString ApiErrorEntry(const char *apiName, int errorCode);
// The user's state folder for files the program cannot write beside itself, created on demand.
QString UserStateDirectory();
