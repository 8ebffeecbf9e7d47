#pragma once
// Where windows go on the screen, in screen pixels: a dialog is kept wholly
// inside the work area of its monitor (the screen less the taskbar), and the
// main window opens where the user left it unless no monitor shows that place.
#include <cstdint>
#include <optional>
#include <vector>

struct ScreenRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;   // exclusive
  int32_t bottom = 0;  // exclusive
  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
};
inline bool operator==(const ScreenRect& a, const ScreenRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool operator!=(const ScreenRect& a, const ScreenRect& b) { return !(a == b); }

// The window moved into workArea by the least distance; a side longer than the
// work area's becomes as long as it and starts at its edge. A window already
// inside comes back unchanged.
ScreenRect FitInside(const ScreenRect& window, const ScreenRect& workArea);

// The area two rectangles share, in square pixels (0 when they do not meet).
int64_t OverlapArea(const ScreenRect& a, const ScreenRect& b);

// The main window's place the first time: 600 × 300 at 340, 362 (before
// the screen's scaling).
inline constexpr ScreenRect kMainWindowFirstPlace{340, 362, 940, 662};
// A stored side shorter than this is no window the user left (a damaged file).
inline constexpr int32_t kMainWindowSmallestSide = 100;

// Where the main window opens, given the place stored at the last exit (none
// the first time), the work areas of the monitors now attached and the first
// place (kMainWindowFirstPlace as the screen scales it): the stored place
// when some monitor shows part of it, else the first place; then kept inside
// the work area it overlaps most (the first one when it overlaps none).
ScreenRect MainWindowPlace(const std::optional<ScreenRect>& stored,
                           const std::vector<ScreenRect>& workAreas,
                           const ScreenRect& firstPlace = kMainWindowFirstPlace);
