#include "platform/download_mark.h"

#include "platform/file.h"

namespace {

// The alternate data stream the browser writes the zone into.
constexpr const char kStream[] = ":Zone.Identifier";
// A mark is a few lines; anything larger is not one.
constexpr size_t kLargestMark = 64 * 1024;

}  // namespace

bool CopyDownloadMark(const std::string& from, const std::string& to) {
  const auto mark = ReadFileBytes(from + kStream);
  if (!mark) return true;  // not downloaded, or from where no mark is kept
  if (mark->size() > kLargestMark) return false;
  UniqueFile out(OpenFile(to + kStream, "wb"));
  if (!out) return false;
  const bool written = std::fwrite(mark->data(), 1, mark->size(), out.get()) == mark->size();
  return FinishFile(out) && written;
}
