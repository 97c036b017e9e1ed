#pragma once

#include <QtGlobal>

// Bounds that keep one misbehaving connection from costing the host its memory or
// starving everybody else. The numbers follow servers that have faced hostile clients for
// decades, scaled to what an honest player of this game can produce.
namespace host::limits {

// Unhandled lines one connection may hold in the receive queue. IRC servers drop a client
// that keeps about 20 unprocessed lines ("Excess Flood"). The host works off 100 lines a
// second for everybody together; an honest drawer sends a stroke start and a batch of up
// to 101 points per stroke (a handful a second), a fast typist a line or two a second.
// 100 lines is a whole second of the host's capacity from one connection alone.
inline constexpr qsizetype kMaxQueuedLinesPerConnection = 100;

// Size of the drawing record (the current turn's strokes, replayed to newcomers). Drawpile
// resets a session's history at 15 MB and refuses more at 99 MB; a two-minute turn of
// continuous scribbling here is about 150 KB. When a stroke would take the record past
// this bound, the connection with the largest share of the record is dropped and its
// strokes are forgotten.
inline constexpr qsizetype kMaxDrawingRecordBytes = 4 * 1024 * 1024;

// Output waiting for a peer that does not read. IRC servers allow a client's send queue
// 100 KB to 1 MB; the host must also fit a newcomer's replay of a full drawing record
// into it, so the bound sits just above that.
inline constexpr qint64 kMaxUnsentBytesPerConnection = kMaxDrawingRecordBytes + 1024 * 1024;

} // namespace host::limits
