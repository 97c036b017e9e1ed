#pragma once

#include <QtGlobal>

// Bounds that keep one misbehaving connection from costing the host its memory or
// starving everybody else. The numbers follow servers that have faced hostile clients for
// decades, scaled to what an honest player of this game can produce.
namespace host::limits {

// Unhandled lines at which the host stops reading a connection, and half of which it reads
// again: TCP's own flow control then slows that peer alone, whatever it sends, and nothing
// it sent is lost. The host cannot tell a flood from a backlog when lines arrive (a stalled
// uplink, a paused machine or a busy window delivers seconds of honest lines at once), so
// it never drops a connection for what arrives; it only reads no faster than it handles.
// A read takes at most one platform chunk (TSock::kReadChunk), so a connection's waiting
// lines stay below these bounds plus one chunk.
inline constexpr qsizetype kHoldQueuedLines = 100;
inline constexpr qsizetype kHoldQueuedBytes = 64 * 1024;

// How fast one connection's lines are handled: a sustained rate and a burst on top of it (a
// token bucket, as IRC servers meter a client with their penalty clock). A connection whose
// budget is spent waits for it to refill; its lines stay queued in order and, once its queue
// is full, it is no longer read. Sized from the fastest honest sources the windows have:
//  - a typist holding Enter in the guess field of a window that sends empty guesses: 25 to
//    33 a second at the key repeat rates desktops offer;
//  - a drawer sends one CMD_draw per 101 mouse movements (about 10 a second hatching with a
//    1000 Hz mouse, 30 with the pen-downs between) plus a CMD_moveit and a closing CMD_draw
//    per pen-down, about 40 a second while scribbling in short clicks;
//  - quick phrases wait 100 drain ticks between them: at most 10 a second.
// 50 a second sustained stays above all of them, so an honest window is never held back
// for long; the burst lets a stalled link's backlog (ten seconds of busy drawing is 300
// lines) be worked off at one line a round before the sustained rate applies.
inline constexpr qint64 kLinesPerSecond = 50;
inline constexpr qint64 kLineBurst = 200;

// A connection that has not logged in within this many seconds of wall-clock time is
// closed: fifteen silent sockets would otherwise hold the whole table. An honest window logs
// in as soon as it hears its slot, but a copy still starting on a loaded machine may take
// seconds; a shortened clock second (a test table, a demonstration) must not shorten this.
inline constexpr int kLoginSeconds = 30;

// Size of the drawing record (the current turn's relayed strokes, replayed to newcomers).
// Drawpile resets a session's history at 15 MB and refuses more at 99 MB; a two-minute
// turn of continuous scribbling here is about 150 KB. When a stroke would take the record
// past this bound, the connection with the largest share of the record is dropped and its
// strokes are forgotten.
inline constexpr qsizetype kMaxDrawingRecordBytes = 4 * 1024 * 1024;

// Output waiting for a peer that does not read. IRC servers allow a client's send queue
// 100 KB to 1 MB; the host must also fit a newcomer's replay of a full drawing record
// into it, so the bound sits just above that.
inline constexpr qint64 kMaxUnsentBytesPerConnection = kMaxDrawingRecordBytes + 1024 * 1024;

// Names as the table keeps them: the windows show a name in a row 130 pixels wide, so 64
// characters is generous; control characters (a newline would forge lines in the host's
// log and in every window's lists) become "?".
inline constexpr qsizetype kMaxNameLength = 64;

// Seconds per turn a game may ask for. The start dialog offers 60 to 120; the bound keeps
// the clock's arithmetic (seconds + 4) far from overflowing.
inline constexpr qint32 kMinTurnSeconds = 1;
inline constexpr qint32 kMaxTurnSeconds = 24 * 60 * 60;

} // namespace host::limits
