// Keeping windows on the screen.
#include "platform/screen_place.h"

#include <gtest/gtest.h>

#include <ostream>

std::ostream& operator<<(std::ostream& os, const ScreenRect& r) {
  return os << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
}

namespace {

ScreenRect At(int32_t x, int32_t y, int32_t w, int32_t h) { return {x, y, x + w, y + h}; }

// A small work area (a 1280 × 800 screen whose taskbar takes its left 40
// and bottom 40 pixels) and windows inside, across each edge, and larger.
TEST(FitInside, MovesAWindowInsideTheWorkAreaAndShrinksOnlyWhatIsTooLarge) {
  const ScreenRect area{40, 0, 1280, 760};
  const struct {
    const char* what;
    ScreenRect window;
    ScreenRect fitted;
  } rows[] = {
      {"inside", At(100, 100, 400, 300), At(100, 100, 400, 300)},
      {"touching every edge", area, area},
      {"below the bottom edge (the settings sheet)", At(340, 560, 420, 400), At(340, 360, 420, 400)},
      {"past the right edge", At(1100, 100, 400, 300), At(880, 100, 400, 300)},
      {"over the taskbar on the left", At(0, 100, 400, 300), At(40, 100, 400, 300)},
      {"above the top", At(100, -50, 400, 300), At(100, 0, 400, 300)},
      {"past the bottom-right corner", At(1200, 700, 400, 300), At(880, 460, 400, 300)},
      {"taller than the area", At(100, 300, 400, 900), At(100, 0, 400, 760)},
      {"wider than the area, off to the left", At(-900, 100, 1500, 300), At(40, 100, 1240, 300)},
      {"on another monitor to the right", At(1500, 100, 400, 300), At(880, 100, 400, 300)},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    EXPECT_EQ(r.fitted, FitInside(r.window, area));
  }
  // No work area known: the window stays as it is.
  EXPECT_EQ(At(5000, 5000, 10, 10), FitInside(At(5000, 5000, 10, 10), ScreenRect{}));
}

// The main window: the place it was left, unless no monitor shows it.
TEST(MainWindowPlace, TheStoredPlaceWhenAMonitorShowsItElseTheFirstPlace) {
  const ScreenRect primary{0, 0, 1280, 760};
  const ScreenRect second{1280, 0, 2560, 1024};
  const std::vector<ScreenRect> both = {primary, second};
  const struct {
    const char* what;
    std::optional<ScreenRect> stored;
    std::vector<ScreenRect> areas;
    ScreenRect place;
  } rows[] = {
      {"first start", std::nullopt, both, kMainWindowFirstPlace},
      {"left on the primary", At(100, 50, 800, 500), both, At(100, 50, 800, 500)},
      {"left on the second monitor", At(1400, 200, 800, 500), both, At(1400, 200, 800, 500)},
      {"second monitor gone", At(1400, 200, 800, 500), {primary}, kMainWindowFirstPlace},
      {"half across the bottom edge", At(100, 600, 800, 500), {primary}, At(100, 260, 800, 500)},
      {"straddling both, mostly on the second", At(1000, 100, 800, 500), both,
       At(1280, 100, 800, 500)},
      {"far off", At(-5000, -5000, 800, 500), both, kMainWindowFirstPlace},
      {"too small to be a window", At(100, 100, 0, 0), both, kMainWindowFirstPlace},
      {"first place on a small screen", std::nullopt, {ScreenRect{0, 0, 800, 560}},
       At(200, 260, 600, 300)},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    EXPECT_EQ(r.place, MainWindowPlace(r.stored, r.areas));
  }
}

}  // namespace
