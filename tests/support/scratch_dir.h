#pragma once
// A fresh folder under the system's temporary folder, removed with its files
// when the test ends.
#include <filesystem>
#include <string>
#include <vector>

class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const;
  // Makes the folder the current directory until the test ends, so that
  // relative file names land in it.
  void MakeCurrent();
  // Copies the named files from beside the test program into the folder;
  // false when one of them could not be copied.
  [[nodiscard]] bool CopyFromTestFolder(const std::vector<std::string>& names) const;

 private:
  std::string path_;
  std::filesystem::path previousCurrent_;
};

// Reads a whole file as bytes ("" when missing) and writes one.
std::string ReadAll(const std::string& path);
void WriteAll(const std::string& path, const std::string& bytes);
