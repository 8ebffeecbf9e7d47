#pragma once
// Keeps a top-level window wholly inside the work area of the monitor it is
// on (the nearest one when it is on none): every dialog and property sheet
// goes through it as it opens.
#include <windows.h>

#include <vector>

#include "platform/screen_place.h"

// Moves window (and shrinks it only where it is larger than the work area).
// False when the monitor or the window could not be read or the move failed.
bool KeepOnScreen(HWND window);

ScreenRect ToScreenRect(const RECT& r);
RECT ToRect(const ScreenRect& r);

// The work areas of the monitors attached now, the primary one first.
std::vector<ScreenRect> MonitorWorkAreas();
// The place of a top-level window when neither maximized nor minimized (the
// place it goes back to from those), in screen pixels; false when it could
// not be read.
bool NormalPlaceOf(HWND window, ScreenRect* place);
