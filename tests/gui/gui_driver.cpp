#include "gui_driver.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "schedule/time_rules.h"

namespace gui {

namespace {

ModalScript* g_running = nullptr;
// A script whose step has waited this long is hung, not slow: the bound of
// the toolkit's WaitUntil.
constexpr ULONGLONG kStalledMs = 150000;

bool IsDialogWindow(HWND h) {
  wchar_t cls[16] = {};
  GetClassNameW(h, cls, 16);
  return IsWindowVisible(h) && std::wstring(cls) == L"#32770";
}

BOOL CALLBACK Collect(HWND h, LPARAM lp) {
  if (IsDialogWindow(h)) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
  return TRUE;
}

struct ProcessQuery {
  DWORD pid;
  std::vector<HWND>* out;
};

BOOL CALLBACK CollectOfProcess(HWND h, LPARAM lp) {
  auto* q = reinterpret_cast<ProcessQuery*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (pid == q->pid && IsDialogWindow(h)) q->out->push_back(h);
  return TRUE;
}

// Memory in another process, for the controls' structures.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND owner, size_t size) : size_(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(owner, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_) {
      address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
  }
  ~RemoteBuffer() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  bool Write(const void* data, size_t size, size_t offset = 0) {
    SIZE_T done = 0;
    return address_ && WriteProcessMemory(process_, static_cast<char*>(address_) + offset, data,
                                           size, &done) && done == size;
  }
  bool Read(void* data, size_t size, size_t offset = 0) {
    SIZE_T done = 0;
    return address_ && ReadProcessMemory(process_, static_cast<char*>(address_) + offset, data,
                                         size, &done) && done == size;
  }
  char* Address() const { return static_cast<char*>(address_); }
  explicit operator bool() const { return address_ != nullptr; }

 private:
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
  size_t size_;
};

std::wstring& ScreenshotFolder() {
  static std::wstring folder;
  return folder;
}

std::wstring ScreenshotDir() {
  if (!ScreenshotFolder().empty()) return ScreenshotFolder();
  std::wstring dir = L"Z:" NIMBRA_SCREENSHOT_DIR;
  for (auto& c : dir) {
    if (c == L'/') c = L'\\';
  }
  return dir;
}

uint32_t Crc32(const std::string& bytes, size_t from) {
  static uint32_t table[256];
  if (table[1] == 0) {
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[n] = c;
    }
  }
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = from; i < bytes.size(); ++i) {
    crc = table[(crc ^ static_cast<uint8_t>(bytes[i])) & 0xFF] ^ (crc >> 8);
  }
  return crc ^ 0xFFFFFFFFu;
}

void PutBig32(std::string& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
  PutBig32(out, static_cast<uint32_t>(data.size()));
  const size_t from = out.size();
  out.append(type, 4);
  out += data;
  PutBig32(out, Crc32(out, from));
}

// A PNG of 24-bit BGR rows (top first): the image data as stored (not
// compressed) deflate blocks, which every reader takes.
std::string EncodePng(const uint8_t* bgr, int w, int h, size_t stride) {
  std::string raw;
  raw.reserve((static_cast<size_t>(w) * 3 + 1) * static_cast<size_t>(h));
  for (int y = 0; y < h; ++y) {
    raw.push_back(0);  // no filter
    const uint8_t* row = bgr + stride * static_cast<size_t>(y);
    for (int x = 0; x < w; ++x) {
      raw.push_back(static_cast<char>(row[3 * x + 2]));
      raw.push_back(static_cast<char>(row[3 * x + 1]));
      raw.push_back(static_cast<char>(row[3 * x]));
    }
  }
  std::string z = "\x78\x01";
  uint32_t a = 1, b = 0;
  for (char c : raw) {
    a = (a + static_cast<uint8_t>(c)) % 65521;
    b = (b + a) % 65521;
  }
  size_t pos = 0;
  do {
    const size_t n = std::min<size_t>(raw.size() - pos, 65535);
    z.push_back(pos + n == raw.size() ? 1 : 0);
    z.push_back(static_cast<char>(n & 0xFF));
    z.push_back(static_cast<char>(n >> 8));
    z.push_back(static_cast<char>(~n & 0xFF));
    z.push_back(static_cast<char>((~n >> 8) & 0xFF));
    z.append(raw, pos, n);
    pos += n;
  } while (pos < raw.size());
  PutBig32(z, (b << 16) | a);

  std::string header;
  PutBig32(header, static_cast<uint32_t>(w));
  PutBig32(header, static_cast<uint32_t>(h));
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no interlace
  std::string png = "\x89PNG\r\n\x1a\n";
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", z);
  PutChunk(png, "IEND", std::string());
  return png;
}

}  // namespace

INT_PTR ModalScript::Run(const std::function<INT_PTR()>& show) {
  next_ = 0;
  inStep_ = false;
  waitingSince_ = GetTickCount64();
  g_running = this;
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, &ModalScript::OnTick);
  const INT_PTR r = show();
  KillTimer(nullptr, timer);
  g_running = nullptr;
  return r;
}

void CALLBACK ModalScript::OnTick(HWND, UINT, UINT_PTR, DWORD) {
  ModalScript* s = g_running;
  if (!s || s->inStep_) return;
  if (s->next_ < s->steps_.size()) {
    s->inStep_ = true;
    const bool done = s->steps_[s->next_]();
    s->inStep_ = false;
    if (done) {
      ++s->next_;
      s->waitingSince_ = GetTickCount64();
      return;
    }
  }
  // A step that still waits, or a dialog that outlives the last step.
  if (GetTickCount64() - s->waitingSince_ > kStalledMs) s->GiveUp();
}

void ModalScript::GiveUp() {
  std::fprintf(stderr, "gui: %u of %u steps done, the script stalls; the thread shows:\n",
               static_cast<unsigned>(next_), static_cast<unsigned>(steps_.size()));
  for (HWND h : ThreadDialogs()) {
    std::fprintf(stderr, "  dialog %p \"%ls\"\n", static_cast<void*>(h), WindowText(h).c_str());
  }
  waitingSince_ = GetTickCount64();
  CancelAllThreadDialogs();
}

std::vector<HWND> ThreadDialogs() {
  std::vector<HWND> out;
  EnumThreadWindows(GetCurrentThreadId(), &Collect, reinterpret_cast<LPARAM>(&out));
  return out;
}

std::vector<HWND> ProcessDialogs(DWORD pid) {
  std::vector<HWND> out;
  ProcessQuery q{pid, &out};
  EnumWindows(&CollectOfProcess, reinterpret_cast<LPARAM>(&q));
  return out;
}

HWND FindThreadDialog(const wchar_t* caption) {
  for (HWND h : ThreadDialogs()) {
    if (!caption || WindowText(h) == caption) return h;
  }
  return nullptr;
}

HWND FindMessageBox(const std::vector<HWND>& windows) {
  for (HWND h : windows) {
    if (GetDlgItem(h, 0xFFFF)) return h;
  }
  return nullptr;
}

std::wstring MessageBoxText(HWND box) { return WindowText(GetDlgItem(box, 0xFFFF)); }

std::wstring WindowText(HWND hwnd) {
  wchar_t buf[4096] = {};
  SendMessageW(hwnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buf));
  return buf;
}

void Click(HWND dlg, int id) {
  PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

void CancelAllThreadDialogs() {
  for (HWND h : ThreadDialogs()) PostMessageW(h, WM_COMMAND, IDCANCEL, 0);
}

int64_t FixedClock::SecondsNow() const { return TimeToSeconds(now_); }

void SetScreenshotFolder(const std::wstring& folder) { ScreenshotFolder() = folder; }

bool SaveScreenshot(const std::string& name, HWND window) {
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (window) {
    RECT r;
    if (!GetWindowRect(window, &r) || !IntersectRect(&area, &area, &r)) return false;
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
  for (HWND d : ThreadDialogs()) {
    RedrawWindow(d, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
  const int w = area.right - area.left;
  const int h = area.bottom - area.top;
  HDC screen = GetDC(nullptr);
  if (!screen) return false;
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, area.left, area.top, SRCCOPY);
  SelectObject(mem, old);

  BITMAPINFOHEADER bi{};
  bi.biSize = sizeof bi;
  bi.biWidth = w;
  bi.biHeight = -h;  // top row first, as PNG stores it
  bi.biPlanes = 1;
  bi.biBitCount = 24;
  const size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~size_t{3};
  std::vector<uint8_t> pixels(stride * static_cast<size_t>(h));
  const int rows = GetDIBits(mem, bmp, 0, h, pixels.data(), reinterpret_cast<BITMAPINFO*>(&bi),
                             DIB_RGB_COLORS);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  if (rows != h) return false;

  const std::wstring dir = ScreenshotDir();
  CreateDirectoryW(dir.c_str(), nullptr);
  const std::wstring path = dir + L"\\" + std::wstring(name.begin(), name.end()) + L".png";
  const std::string png = EncodePng(pixels.data(), w, h, stride);
  FILE* out = _wfopen(path.c_str(), L"wb");
  if (!out) return false;
  bool ok = std::fwrite(png.data(), png.size(), 1, out) == 1;
  ok = std::fclose(out) == 0 && ok;
  return ok;
}

std::wstring RemoteListText(HWND list, int row, int column) {
  constexpr size_t kChars = 512;
  RemoteBuffer mem(list, sizeof(LVITEMW) + kChars * sizeof(wchar_t));
  if (!mem) return std::wstring();
  LVITEMW item{};
  item.iSubItem = column;
  item.cchTextMax = kChars;
  item.pszText = reinterpret_cast<wchar_t*>(mem.Address() + sizeof(LVITEMW));
  mem.Write(&item, sizeof item);
  const LRESULT n = SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(mem.Address()));
  std::wstring text(kChars, L'\0');
  mem.Read(text.data(), kChars * sizeof(wchar_t), sizeof(LVITEMW));
  text.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return text;
}

std::wstring RemoteStatusText(HWND statusBar, int pane) {
  const size_t chars = LOWORD(SendMessageW(statusBar, SB_GETTEXTLENGTHW, pane, 0)) + 1;
  RemoteBuffer mem(statusBar, chars * sizeof(wchar_t));
  if (!mem) return std::wstring();
  SendMessageW(statusBar, SB_GETTEXTW, pane, reinterpret_cast<LPARAM>(mem.Address()));
  std::wstring text(chars, L'\0');
  mem.Read(text.data(), chars * sizeof(wchar_t), 0);
  text.resize(wcsnlen(text.c_str(), chars));
  return text;
}

namespace {
BOOL CALLBACK CollectBalloon(HWND h, LPARAM lp) {
  wchar_t cls[32] = L"";
  GetClassNameW(h, cls, 32);
  if (lstrcmpiW(cls, TOOLTIPS_CLASSW) == 0 && IsWindowVisible(h) &&
      (GetWindowLongW(h, GWL_STYLE) & TTS_BALLOON)) {
    // A tooltip answers WM_GETTEXT with the text it shows.
    reinterpret_cast<std::vector<std::wstring>*>(lp)->push_back(WindowText(h));
  }
  return TRUE;
}
}  // namespace

std::vector<std::wstring> ShownBalloonTexts() {
  std::vector<std::wstring> shown;
  EnumWindows(CollectBalloon, reinterpret_cast<LPARAM>(&shown));
  return shown;
}

int RemoteListCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

bool RemoteSelectRow(HWND list, int row) {
  RemoteBuffer mem(list, sizeof(LVITEMW));
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  if (!mem.Write(&item, sizeof item)) return false;
  return SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(mem.Address())) != 0;
}

bool RemoteSetCheck(HWND list, int row, bool checked) {
  RemoteBuffer mem(list, sizeof(LVITEMW));
  LVITEMW item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
  if (!mem.Write(&item, sizeof item)) return false;
  return SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(mem.Address())) != 0;
}

bool RemoteDropFiles(HWND target, const std::vector<std::wstring>& files) {
  // DROPFILES, then the names, each ending in a zero, and a zero after them.
  std::wstring names;
  for (const std::wstring& f : files) names += f + L'\0';
  names += L'\0';
  DROPFILES head{};
  head.pFiles = sizeof head;
  head.fWide = TRUE;
  const size_t bytes = sizeof head + names.size() * sizeof(wchar_t);
  RemoteBuffer mem(target, bytes);
  if (!mem.Write(&head, sizeof head) || !mem.Write(names.data(), bytes - sizeof head, sizeof head))
    return false;
  // Sent, so that the memory outlives the handling; the window copies the
  // names before it answers.
  SendMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(mem.Address()), 0);
  return true;
}

int RemoteListStringWidth(HWND list, const std::wstring& text) {
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  RemoteBuffer mem(list, bytes);
  if (!mem || !mem.Write(text.c_str(), bytes)) return -1;
  return static_cast<int>(
      SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(mem.Address())));
}

bool RemoteSetPicker(HWND picker, const SystemTime& t) {
  RemoteBuffer mem(picker, sizeof(SYSTEMTIME));
  if (!mem.Write(&t, sizeof t)) return false;
  return SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID,
                      reinterpret_cast<LPARAM>(mem.Address())) != 0;
}

bool RemoteGetPicker(HWND picker, SystemTime* t) {
  RemoteBuffer mem(picker, sizeof(SYSTEMTIME));
  if (!mem) return false;
  if (SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(mem.Address())) !=
      GDT_VALID) {
    return false;
  }
  return mem.Read(t, sizeof *t);
}

}  // namespace gui
