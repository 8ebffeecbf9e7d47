#include <atomic>

#include "platform/file.h"

// Implemented per platform.
bool ReplaceFileWith(const std::string& tmp, const std::string& target);
// Writes the file's buffered data through to the disk.
bool FlushFileToDisk(std::FILE* f);
std::string UniqueSuffix();


namespace {
constexpr long kReserveLimit = 256L << 20;
}  // namespace

std::optional<std::string> ReadFileBytes(const std::string& path) {
  UniqueFile f(OpenFile(path, "rb"));
  if (!f) return std::nullopt;
  std::string bytes;
  // Read into room made once for the whole file (it may still grow while
  // read); growing chunk by chunk copies the bytes read so far every time.
  // What is no plain file (a folder gives a nonsense size) reads as before.
  if (std::fseek(f.get(), 0, SEEK_END) == 0) {
    const long size = std::ftell(f.get());
    if (size > 0 && size <= kReserveLimit) bytes.reserve(static_cast<size_t>(size));
    std::rewind(f.get());
  }
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0) bytes.append(buf, n);
  if (std::ferror(f.get())) return std::nullopt;
  return bytes;
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes) {
  static std::atomic<unsigned> counter{0};
  const std::string tmp = path + UniqueSuffix() + std::to_string(counter++);
  {
    UniqueFile f(OpenFile(tmp, "wb"));
    if (!f) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f.get()) == bytes.size();
    // On the disk before the rename, so that after a crash or a power cut
    // the name holds the old or the new bytes, never a file still empty.
    const bool flushed = std::fflush(f.get()) == 0 && FlushFileToDisk(f.get());
    if (!written || !flushed) {
      f.reset();
      RemoveFile(tmp);
      return false;
    }
  }
  if (!ReplaceFileWith(tmp, path)) {
    RemoveFile(tmp);
    return false;
  }
  return true;
}

bool CopyStream(std::FILE* in, std::FILE* out) {
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, in)) > 0)
    if (std::fwrite(buf, 1, n, out) != n) return false;
  return !std::ferror(in);
}

bool CopyFileBytes(const std::string& from, const std::string& to) {
  UniqueFile in(OpenFile(from, "rb"));
  if (!in) return false;
  UniqueFile out(OpenFile(to, "wb"));
  if (!out) return false;
  const bool ok = CopyStream(in.get(), out.get());
  return FinishFile(out) && ok;
}

bool FinishFile(UniqueFile& file) {
  std::FILE* f = file.release();
  return f != nullptr && std::fclose(f) == 0;
}
