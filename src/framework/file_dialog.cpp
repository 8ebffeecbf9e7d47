#include "framework/file_dialog.h"

#include <commdlg.h>

#include <vector>

std::wstring DialogFilter(const std::wstring& barFilter) {
  std::wstring out = barFilter;
  for (wchar_t& c : out) {
    if (c == L'|') c = L'\0';
  }
  // Two zeros end the list, whatever the text ended with.
  out.push_back(L'\0');
  out.push_back(L'\0');
  return out;
}

std::optional<std::wstring> BrowseForFile(HWND owner, const wchar_t* defaultExtension,
                                          const std::wstring& barFilter) {
  const std::wstring filter = DialogFilter(barFilter);
  // Room for long paths, so that none comes back cut short.
  std::vector<wchar_t> file(32768, L'\0');
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  // The program's current folder is its own folder and stays so, whichever
  // folder the file was chosen in.
  ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_EXPLORER | OFN_NOCHANGEDIR;
  // The extension is given without its "*.", as the dialog expects.
  std::wstring ext = defaultExtension ? defaultExtension : L"";
  if (ext.rfind(L"*.", 0) == 0) ext.erase(0, 2);
  ofn.lpstrDefExt = ext.empty() || ext == L"*" ? nullptr : ext.c_str();
  if (!GetOpenFileNameW(&ofn)) return std::nullopt;
  return std::wstring(file.data());
}
