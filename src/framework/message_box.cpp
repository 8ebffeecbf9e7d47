#include "framework/message_box.h"

#include "platform/app_title.h"
#include "platform/win32/text_win.h"

std::wstring LoadResourceString(UINT id, HINSTANCE module) {
  if (!module) module = GetModuleHandleW(nullptr);
  const wchar_t* text = nullptr;
  // With a zero buffer size the function hands out a pointer into the resource.
  const int n = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
  if (n <= 0 || !text) return std::wstring();
  return std::wstring(text, static_cast<size_t>(n));
}

std::wstring AppTitle() {
  std::wstring t = LoadResourceString(kIdsAppTitle);
  return t.empty() ? std::wstring(kAppTitleWide) : t;
}

int AppMessageBox(HWND owner, const std::wstring& text, UINT type) {
  return MessageBoxW(owner, text.c_str(), AppTitle().c_str(), type);
}

int AppMessageBox(HWND owner, const std::string& utf8Text, UINT type) {
  return AppMessageBox(owner, Utf8ToWide(utf8Text), type);
}

int PlainMessageBox(HWND owner, const std::wstring& text, UINT type) {
  return MessageBoxW(owner, text.c_str(), nullptr, type);
}

void ReportUnexpectedFailure(HWND owner) {
  try {
    AppMessageBox(owner, std::wstring(L"内部エラーが発生しました。操作は中断されました。"),
                  MB_OK | MB_ICONERROR);
  } catch (...) {
  }
}
