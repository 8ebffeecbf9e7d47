#include "gui_driver.h"

#include <commctrl.h>

#include <cstdio>

#include "schedule/time_rules.h"

namespace gui {

namespace {

ModalScript* g_running = nullptr;
constexpr int kMaxIdleTicks = 600;  // a stalled script gives up after this many ticks

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

std::wstring ScreenshotDir() {
  std::wstring dir = L"Z:" NIMBRA_SCREENSHOT_DIR;
  for (auto& c : dir) {
    if (c == L'/') c = L'\\';
  }
  return dir;
}

}  // namespace

INT_PTR ModalScript::Run(const std::function<INT_PTR()>& show) {
  next_ = 0;
  idleTicks_ = 0;
  g_running = this;
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, &ModalScript::OnTick);
  const INT_PTR r = show();
  KillTimer(nullptr, timer);
  g_running = nullptr;
  return r;
}

void CALLBACK ModalScript::OnTick(HWND, UINT, UINT_PTR, DWORD) {
  ModalScript* s = g_running;
  if (!s) return;
  if (s->next_ < s->steps_.size()) {
    if (s->steps_[s->next_]()) {
      ++s->next_;
      s->idleTicks_ = 0;
      return;
    }
  }
  if (++s->idleTicks_ > kMaxIdleTicks) {
    s->idleTicks_ = 0;
    CancelAllThreadDialogs();
  }
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

bool SaveScreenshot(const std::string& name) {
  for (HWND d : ThreadDialogs()) {
    RedrawWindow(d, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
  const int w = GetSystemMetrics(SM_CXSCREEN);
  const int h = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(nullptr);
  if (!screen) return false;
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, 0, 0, SRCCOPY);
  SelectObject(mem, old);

  BITMAPINFOHEADER bi{};
  bi.biSize = sizeof bi;
  bi.biWidth = w;
  bi.biHeight = h;
  bi.biPlanes = 1;
  bi.biBitCount = 24;
  const size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~size_t{3};
  std::vector<char> pixels(stride * static_cast<size_t>(h));
  GetDIBits(mem, bmp, 0, h, pixels.data(), reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);

  const std::wstring dir = ScreenshotDir();
  CreateDirectoryW(dir.c_str(), nullptr);
  const std::wstring path = dir + L"\\" + std::wstring(name.begin(), name.end()) + L".bmp";
  FILE* out = _wfopen(path.c_str(), L"wb");
  if (!out) return false;
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof bi;
  fh.bfSize = static_cast<DWORD>(fh.bfOffBits + pixels.size());
  bool ok = std::fwrite(&fh, sizeof fh, 1, out) == 1 && std::fwrite(&bi, sizeof bi, 1, out) == 1 &&
            std::fwrite(pixels.data(), pixels.size(), 1, out) == 1;
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

int RemoteListCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

bool RemoteSelectRow(HWND list, int row) {
  RemoteBuffer mem(list, sizeof(LVITEMW));
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  if (!mem.Write(&item, sizeof item)) return false;
  return SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(mem.Address())) != 0;
}

bool RemoteSetPicker(HWND picker, const SystemTime& t) {
  RemoteBuffer mem(picker, sizeof(SYSTEMTIME));
  if (!mem.Write(&t, sizeof t)) return false;
  return SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID,
                      reinterpret_cast<LPARAM>(mem.Address())) != 0;
}

}  // namespace gui
