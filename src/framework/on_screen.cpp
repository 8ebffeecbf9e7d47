#include "framework/on_screen.h"

ScreenRect ToScreenRect(const RECT& r) {
  return {static_cast<int32_t>(r.left), static_cast<int32_t>(r.top),
          static_cast<int32_t>(r.right), static_cast<int32_t>(r.bottom)};
}

RECT ToRect(const ScreenRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

bool KeepOnScreen(HWND window) {
  if (!window || (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD)) return false;
  RECT now{};
  if (!GetWindowRect(window, &now)) return false;
  HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (!monitor || !GetMonitorInfoW(monitor, &info)) return false;
  const ScreenRect from = ToScreenRect(now);
  const ScreenRect to = FitInside(from, ToScreenRect(info.rcWork));
  if (to == from) return true;
  UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
  if (to.Width() == from.Width() && to.Height() == from.Height()) flags |= SWP_NOSIZE;
  return SetWindowPos(window, nullptr, to.left, to.top, to.Width(), to.Height(), flags) != FALSE;
}

namespace {

BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  auto* areas = reinterpret_cast<std::vector<ScreenRect>*>(data);
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (!GetMonitorInfoW(monitor, &info)) return TRUE;
  const ScreenRect area = ToScreenRect(info.rcWork);
  if (info.dwFlags & MONITORINFOF_PRIMARY)
    areas->insert(areas->begin(), area);
  else
    areas->push_back(area);
  return TRUE;
}

}  // namespace

std::vector<ScreenRect> MonitorWorkAreas() {
  std::vector<ScreenRect> areas;
  if (!EnumDisplayMonitors(nullptr, nullptr, &AddWorkArea, reinterpret_cast<LPARAM>(&areas)))
    areas.clear();
  return areas;
}

bool NormalPlaceOf(HWND window, ScreenRect* place) {
  if (!IsIconic(window) && !IsZoomed(window)) {
    RECT r{};
    if (!GetWindowRect(window, &r)) return false;
    *place = ToScreenRect(r);
    return true;
  }
  // The normal place of a maximized or minimized window is kept in
  // coordinates of its monitor's work area.
  WINDOWPLACEMENT wp{};
  wp.length = sizeof(wp);
  if (!GetWindowPlacement(window, &wp)) return false;
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  HMONITOR monitor = MonitorFromRect(&wp.rcNormalPosition, MONITOR_DEFAULTTOPRIMARY);
  if (!monitor || !GetMonitorInfoW(monitor, &info)) return false;
  RECT r = wp.rcNormalPosition;
  OffsetRect(&r, info.rcWork.left - info.rcMonitor.left, info.rcWork.top - info.rcMonitor.top);
  *place = ToScreenRect(r);
  return true;
}
