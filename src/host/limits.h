#pragma once

#include <QtGlobal>

// Bounds that keep one misbehaving connection from costing the host its memory or
// starving everybody else. The numbers follow servers that have faced hostile clients for
// decades, scaled to what an honest player of this game can produce.
namespace host::limits {

// Unhandled lines one connection may hold in its receive queue. IRC servers drop a client
// that keeps about 20 unprocessed lines ("Excess Flood"). The host works off 100 lines a
// second for everybody together, taking them from the connections in turn.
// 100 lines is a whole second of the host's capacity from one connection alone.
inline constexpr qsizetype kMaxQueuedLinesPerConnection = 100;

// Lines one connection may send: a sustained rate and a burst on top of it (a token
// bucket; IRC servers work the same way with their penalty clock). Sized from the fastest
// honest sources the windows have:
//  - a typist holding Enter in the guess field sends a guess per key repeat: at most 30 a
//    second at the fastest repeat rate desktops offer (X servers default to 25);
//  - a drawer sends one CMD_draw per 101 mouse movements (at most 10 a second from a
//    1000 Hz mouse) plus a CMD_moveit and a closing CMD_draw per pen-down (at most about
//    15 clicks a second), about 40 a second while scribbling in short clicks;
//  - quick phrases wait 100 drain ticks between them: at most 10 a second.
// 50 a second sustained stays above all of them; the burst covers two seconds of it.
inline constexpr qint64 kLinesPerSecond = 50;
inline constexpr qint64 kLineBurst = 100;

// A connection that has not logged in within this many seconds of the host's clock is
// closed: fifteen silent sockets would otherwise hold the whole table. An honest window
// logs in as soon as it hears its slot, within milliseconds.
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
