#pragma once

#include <QByteArray>
#include <QString>
#include <QTime>

namespace host {

// How much a line in the operator's log matters, as syslog priorities: the journal reads
// them from a "<N>" at the start of each line (sd-daemon(3)).
enum class LogLevel {
    Error = 3,   // the host cannot go on as asked (no port, a socket failing)
    Warning = 4, // input refused or dropped, a connection cut off
    Info = 6,    // the table's ordinary comings and goings
};

// One event as one line for the operator, line end included. For the journal the line
// carries its priority and nothing else (the journal adds the time and the program's
// name itself); anywhere else it has our own name and a time stamp. Line breaks in the
// text become spaces, so one event never reads as two.
QByteArray formatLogLine(LogLevel level, const QString& text, bool journal, QTime now);

// Whether file descriptor `fd` is the stream systemd connected to the journal: the
// JOURNAL_STREAM variable (`journalStream`, may be null) names that stream's device and
// inode as "DEV:INODE". A redirected or inherited stream no longer matches.
bool isJournalStream(int fd, const char* journalStream);

// Writes one line to standard error in the form that suits where it goes (decided once
// per process).
void writeLog(LogLevel level, const QString& text);

} // namespace host
