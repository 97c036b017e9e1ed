#pragma once

#include "host/limits.h"
#include "net/linebucket.h"

namespace host {

// How many lines of a connection may still be handled now: kLineBurst lines at once,
// refilling at kLinesPerSecond.
using LineBudget = net::LineBucket<limits::kLineBurst, limits::kLinesPerSecond>;

} // namespace host
