#pragma once
// A board's exchanges on Linux: libcurl (HTTP, and HTTPS against the
// system's certificates), each on a worker thread of its own so that the
// dialog's GLib main loop never waits on the network; the answer comes back
// to that loop.

#include <functional>

#include "setup/board_client.h"

// The exchange, blocking: the worker's part. Within the request's bounds
// (setup/board_client.h): its time, its answer's length, no redirect, only
// http and https.
BoardAnswer exchangeWithCurl(const BoardRequest& request);

using BoardAnswered = std::function<void(const BoardAnswer& answer)>;

// Starts the exchange on a thread of its own; `done` runs on GLib's default
// main context (the dialog's loop) once it is over, whatever came of it.
void startBoardExchange(const BoardRequest& request, BoardAnswered done);

// A new secret for the player's name (boardSecretOf) from the system's
// random bytes (getrandom).
std::string makeBoardSecret();
