#pragma once
// A board's exchanges on Windows: the system's own WinHTTP (HTTP and HTTPS,
// Windows' certificates and proxy), each on a thread of its own so that the
// dialog's message loop never waits on the network; the answer comes back to
// the dialog as a posted message.

#include <windows.h>

#include "setup/board_client.h"

// The exchange, blocking: the worker's part. Within the request's bounds
// (setup/board_client.h): its time, its answer's length, no redirect.
BoardAnswer exchangeWithWinHttp(const BoardRequest& request);

// Starts the exchange on a thread of its own; once it is over, whatever came
// of it, `message` is posted to `window` with `tag` as its WPARAM and the
// answer as its LPARAM, for takePostedAnswer. False when no thread could be
// started (the answer then is that, at once, through the same message).
void startBoardExchange(const BoardRequest& request, HWND window, UINT message, WPARAM tag);

// The answer a posted message carries, once (its memory goes).
BoardAnswer takePostedAnswer(LPARAM posted);

// A new secret for the player's name (boardSecretOf) from the system's
// random numbers (rand_s, msvcrt's way to RtlGenRandom).
std::string makeBoardSecret();
