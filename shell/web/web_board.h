#pragma once
// A board's exchanges in the browser: fetch, which never holds the page's
// thread; the answer comes back on it, as the browser's own events do.

#include <functional>

#include "setup/board_client.h"

using BoardAnswered = std::function<void(const BoardAnswer& answer)>;

// Starts the exchange within the request's bounds (setup/board_client.h):
// its time, its answer's length (counted as the body comes, whatever its
// headers claim), no redirect, no cookies; `done` runs once it is over,
// whatever came of it.
void startBoardExchange(const BoardRequest& request, BoardAnswered done);
