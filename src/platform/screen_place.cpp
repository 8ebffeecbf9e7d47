#include "platform/screen_place.h"

#include <algorithm>

namespace {

// One axis of FitInside: [lo, hi) moved into [areaLo, areaHi).
void FitSpan(int32_t& lo, int32_t& hi, int32_t areaLo, int32_t areaHi) {
  const int64_t length = static_cast<int64_t>(hi) - lo;
  const int64_t room = static_cast<int64_t>(areaHi) - areaLo;
  if (length >= room) {
    lo = areaLo;
    hi = areaHi;
    return;
  }
  int64_t start = lo;
  if (start + length > areaHi) start = areaHi - length;
  if (start < areaLo) start = areaLo;
  lo = static_cast<int32_t>(start);
  hi = static_cast<int32_t>(start + length);
}

}  // namespace

ScreenRect FitInside(const ScreenRect& window, const ScreenRect& workArea) {
  if (workArea.Width() <= 0 || workArea.Height() <= 0) return window;
  ScreenRect r = window;
  FitSpan(r.left, r.right, workArea.left, workArea.right);
  FitSpan(r.top, r.bottom, workArea.top, workArea.bottom);
  return r;
}

int64_t OverlapArea(const ScreenRect& a, const ScreenRect& b) {
  const int64_t w = static_cast<int64_t>(std::min(a.right, b.right)) - std::max(a.left, b.left);
  const int64_t h = static_cast<int64_t>(std::min(a.bottom, b.bottom)) - std::max(a.top, b.top);
  return w > 0 && h > 0 ? w * h : 0;
}

ScreenRect MainWindowPlace(const std::optional<ScreenRect>& stored,
                           const std::vector<ScreenRect>& workAreas, const ScreenRect& firstPlace) {
  const auto bestArea = [&](const ScreenRect& r) -> const ScreenRect* {
    const ScreenRect* best = nullptr;
    int64_t most = 0;
    for (const ScreenRect& area : workAreas) {
      const int64_t shared = OverlapArea(r, area);
      if (shared > most) {
        most = shared;
        best = &area;
      }
    }
    return best;
  };
  ScreenRect place = firstPlace;
  if (stored && stored->Width() >= kMainWindowSmallestSide &&
      stored->Height() >= kMainWindowSmallestSide && bestArea(*stored))
    place = *stored;
  const ScreenRect* area = bestArea(place);
  if (!area && !workAreas.empty()) area = &workAreas.front();
  return area ? FitInside(place, *area) : place;
}
