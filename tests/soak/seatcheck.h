#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace soak {

// Whether the table is as empty as it should be once everybody but `keptSlots` has left: a
// fresh player gets the lowest free slot (1 when it is free), a crowd of fresh players
// fills every other slot up to 15, and the next one is told the table is full. A slot the
// host still thinks taken shows up as a missing slot. Nothing when all is well; otherwise
// what went wrong. The fresh players leave again before this returns.
std::optional<QString> checkFreeSlots(quint16 port, const QList<int>& keptSlots);

} // namespace soak
