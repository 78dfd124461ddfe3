#pragma once
// The builders of the bulk transfers: the announcement of the fast PLU send
// and of the logo, each starting a new operation over the enabled registers.
#include <cstdint>

// Queues the announcement of the fast PLU send for the open register and
// prepares it (interactive use: a new operation over the enabled
// registers). False when no register could be chosen or nothing queued.
bool SendFastPLU(int32_t from, int32_t to);
// The same for the logo (Bitmap.bin of the open register's folder).
bool SendIcons();
