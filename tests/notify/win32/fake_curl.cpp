// Stands in for the system's curl.exe in the Windows tests. It records, next
// to the path in NIMBRA_FAKE_CURL_RECORD: its arguments (UTF-8, one a line)
// in ".args", what came on its standard input in ".stdin", and a copy of the
// file named by the "upload-file" line in ".message" (none when the file was
// not there). It ends with the code in NIMBRA_FAKE_CURL_EXIT (0 when unset),
// writing "curl: (<code>) <NIMBRA_FAKE_CURL_ERROR>" to its error output when
// that is not 0.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Utf8(const std::wstring& w) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string s(n > 0 ? n : 0, '\0');
  if (n > 0)
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                        nullptr);
  return s;
}

std::wstring Wide(const std::string& s) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(n > 0 ? n : 0, L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

std::wstring Env(const wchar_t* name) {
  wchar_t buf[1024];
  const DWORD n = GetEnvironmentVariableW(name, buf, 1024);
  return n > 0 && n < 1024 ? std::wstring(buf, n) : std::wstring();
}

void Write(const std::wstring& path, const std::string& bytes) {
  if (std::FILE* f = _wfopen(path.c_str(), L"wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
}

bool Read(const std::wstring& path, std::string& bytes) {
  std::FILE* f = _wfopen(path.c_str(), L"rb");
  if (!f) return false;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
  std::fclose(f);
  return true;
}

// The value of the configuration's line `option = "value"`, unquoted.
std::string Option(const std::string& config, const std::string& option) {
  const size_t at = config.find(option + " = \"");
  if (at == std::string::npos) return "";
  std::string value;
  for (size_t i = at + option.size() + 4; i < config.size() && config[i] != '"'; ++i) {
    if (config[i] == '\\' && i + 1 < config.size()) ++i;
    value += config[i];
  }
  return value;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring record = Env(L"NIMBRA_FAKE_CURL_RECORD");
  std::string args;
  for (int i = 0; i < argc; ++i) args += Utf8(argv[i]) + "\n";
  std::string config;
  HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  char buf[4096];
  DWORD got = 0;
  while (ReadFile(in, buf, sizeof buf, &got, nullptr) && got > 0) config.append(buf, got);
  if (!record.empty()) {
    Write(record + L".args", args);
    Write(record + L".stdin", config);
    std::string message;
    if (Read(Wide(Option(config, "upload-file")), message)) Write(record + L".message", message);
  }
  const int code = _wtoi(Env(L"NIMBRA_FAKE_CURL_EXIT").c_str());
  if (code != 0) std::fprintf(stderr, "curl: (%d) %s\n", code, Utf8(Env(L"NIMBRA_FAKE_CURL_ERROR")).c_str());
  return code;
}
