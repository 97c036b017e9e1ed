#pragma once

#include "net/linebucket.h"

namespace client {

// How many lines the drawer's window may send now: a bucket a little under the one the host
// meters every connection with. The host handles 50 lines a second with a burst of 200 on
// top, and stops reading a connection with 100 lines waiting; a window that keeps under that
// never has its lines held at the host, so what it sends is relayed at once. The margin (5
// lines a second and 50 of the burst) is for the drawer's other lines on the same
// connection, chat and the like, and for the two clocks not agreeing exactly.
using LinePacer = net::LineBucket<150, 45>;

} // namespace client
