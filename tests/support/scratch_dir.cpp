#include "support/scratch_dir.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/file.h"
#include "platform/program_path.h"

namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
  // Every test runs in a process of its own: the counter alone would repeat.
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  path_ = JoinPath(TempDirectory(), "nimbra-test-" + std::to_string(stamp) + "-" +
                                        std::to_string(std::random_device{}()) + "-" +
                                        std::to_string(counter++));
  fs::create_directories(fs::u8path(path_));
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  if (!previousCurrent_.empty()) fs::current_path(previousCurrent_, ec);
  // A program that just ended may still hold the folder for a moment (Wine):
  // a folder left behind must not fail the test.
  fs::remove_all(fs::u8path(path_), ec);
}

std::string ScratchDir::File(const std::string& name) const { return JoinPath(path_, name); }

void ScratchDir::MakeCurrent() {
  if (previousCurrent_.empty()) previousCurrent_ = fs::current_path();
  fs::current_path(fs::u8path(path_));
}

bool ScratchDir::CopyFromTestFolder(const std::vector<std::string>& names) const {
  const std::string from = DirectoryOf(ProgramPath());
  bool ok = true;
  for (const std::string& name : names)
    ok = CopyFileContents(JoinPath(from, name), File(name)) && ok;
  return ok;
}

std::string ReadAll(const std::string& path) {
  const auto bytes = ReadFileBytes(path);
  return bytes ? *bytes : std::string();
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::FILE* f = OpenFile(path, "wb");
  if (!f) return;
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}
