// The live channel to a running animated wallpaper: finding its rendering window and posting one
// setting change to it, so the user sees the effect before pressing OK.
#pragma once

#include <windows.h>

namespace qm {

// The id of the registered live-settings message, the same in every process.
UINT RegisterWallpaperMessage();

// The wallpaper's "Direct3D Window", or null when none is running.
HWND FindWallpaperWindow();

// Posts (never sends) code and value to the cached wallpaper window, searching again first when the
// cached handle is no longer a window. Nothing is posted when no wallpaper is found.
void NotifyWallpaper(UINT messageId, HWND& cachedWindow, WPARAM code, LPARAM value);

} // namespace qm
