#include <cerrno>

#include "platform/file.h"

// Implemented per platform.
bool ReplaceFileWith(const std::string& tmp, const std::string& target);
// Writes the file's buffered data through to the disk.
bool FlushFileToDisk(std::FILE* f);
// Fills out with bytes from the system's random source.
bool SystemRandomBytes(unsigned char* out, size_t n);

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

FileRead ReadFileBounded(const std::string& path, size_t maxBytes) {
  FileRead result;
  errno = 0;
  UniqueFile f(OpenFile(path, "rb"));
  if (!f) {
    // Only "no such file or folder" means the file is not there; a refusal
    // (sharing, rights) is a file that exists and cannot be read.
    result.status = (errno == ENOENT || errno == ENOTDIR) ? FileReadStatus::kMissing
                                                           : FileReadStatus::kUnreadable;
    return result;
  }
  if (std::fseek(f.get(), 0, SEEK_END) == 0) {
    const long size = std::ftell(f.get());
    if (size > 0 && static_cast<unsigned long>(size) > maxBytes) {
      // A folder opened as a file gives a nonsense size; it fails to read.
      std::rewind(f.get());
      char probe;
      const bool readable = std::fread(&probe, 1, 1, f.get()) == 1 || !std::ferror(f.get());
      result.status = readable ? FileReadStatus::kTooLarge : FileReadStatus::kUnreadable;
      return result;
    }
    if (size > 0) result.bytes.reserve(static_cast<size_t>(size));
    std::rewind(f.get());
  }
  // The file may grow while it is read: the bound holds for what is read.
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0) {
    if (result.bytes.size() + n > maxBytes) {
      result.bytes.clear();
      result.status = FileReadStatus::kTooLarge;
      return result;
    }
    result.bytes.append(buf, n);
  }
  if (std::ferror(f.get())) {
    result.bytes.clear();
    result.status = FileReadStatus::kUnreadable;
    return result;
  }
  result.status = FileReadStatus::kRead;
  return result;
}

std::string TemporaryNameBeside(const std::string& path) {
  unsigned char random[12];
  if (!SystemRandomBytes(random, sizeof random)) return std::string();
  static const char kLetters[] = "0123456789abcdefghijklmnopqrstuv";
  std::string name = path + ".";
  for (unsigned char b : random) name += kLetters[b & 31];
  return name + ".tmp";
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes) {
  // Created new under a name nobody can guess: another program cannot have
  // put a file or a link there for the write to go through.
  const std::string tmp = TemporaryNameBeside(path);
  if (tmp.empty()) return false;
  {
    UniqueFile f(CreateNewFile(tmp));
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

bool CopyFileContents(const std::string& from, const std::string& to, CopyKind kind) {
  const bool text = kind == CopyKind::kText;
  UniqueFile in(OpenFile(from, text ? "r" : "rb"));
  if (!in) return false;
  UniqueFile out(OpenFile(to, text ? "w" : kind == CopyKind::kAppendedBytes ? "ab" : "wb"));
  if (!out) return false;
  char buf[65536];
  size_t n;
  bool ok = true;
  while (ok && (n = std::fread(buf, 1, sizeof buf, in.get())) > 0)
    ok = std::fwrite(buf, 1, n, out.get()) == n;
  ok = ok && !std::ferror(in.get());
  ok = FinishFile(out) && ok;
  // A part of a copy is no copy; a file appended to keeps what it held.
  if (!ok && kind != CopyKind::kAppendedBytes) RemoveFile(to);
  return ok;
}

bool FinishFile(UniqueFile& file) {
  std::FILE* f = file.release();
  return f != nullptr && std::fclose(f) == 0;
}
