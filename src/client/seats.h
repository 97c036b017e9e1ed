#pragma once

#include <QString>

// The table's seats as the window sees them: slots 1 to 10 have a row on the score board,
// slots 11 to 15 are spectators without one.
namespace client::seats {

inline constexpr int kRows = 10;
inline constexpr int kLastSlot = 15;

inline bool hasRow(int slot)
{
    return slot >= 1 && slot <= kRows;
}
inline bool isSpectator(int slot)
{
    return slot > kRows && slot <= kLastSlot;
}

// What a free row shows.
inline QString waiting()
{
    return QStringLiteral("<Waiting>");
}

} // namespace client::seats
