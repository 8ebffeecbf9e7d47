#pragma once
// A fresh folder under the system's temporary folder, removed with its files
// when the test ends.
#include <string>

class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const;

 private:
  std::string path_;
};

// Reads a whole file as bytes ("" when missing) and writes one.
std::string ReadAll(const std::string& path);
void WriteAll(const std::string& path, const std::string& bytes);
