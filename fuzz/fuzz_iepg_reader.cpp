// Any bytes as an iEPG file: the reader never fails; every record's texts
// are at most the limit, never end in half a two-byte character and come
// from the file; the shape and the programme count agree; and a record that
// makes a window makes one that starts no later than it ends, within the two
// days that hours up to 47 can reach.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "iepg/iepg_import.h"
#include "iepg/iepg_reader.h"
#include "platform/text.h"

namespace {

void CheckText(std::string_view bytes, const std::string& text) {
  if (text.size() > kIepgTitleMax) std::abort();
  size_t n = 0;
  while (n < text.size())
    n += IsSjisLeadByte(static_cast<unsigned char>(text[n])) && n + 1 < text.size() ? 2 : 1;
  if (n != text.size()) std::abort();
  if (!text.empty() && bytes.find(text) == std::string_view::npos) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const IepgFile f = ReadIepg(bytes);
  switch (f.shape) {
    case IepgShape::kSingle:
      if (f.programs.size() != 1) std::abort();
      break;
    case IepgShape::kMulti:
      if (f.programs.empty()) std::abort();
      break;
    default:
      if (!f.programs.empty()) std::abort();
      break;
  }
  if (f.shape == IepgShape::kSingle || f.shape == IepgShape::kMulti) {
    if (f.version != 1 && f.version != 2) std::abort();
  }
  CheckText(bytes, f.multiTitle);
  for (const IepgProgram& p : f.programs) {
    if (!(p.found & kIepgTitle) && !p.title.empty()) std::abort();
    CheckText(bytes, p.title);
    CheckText(bytes, p.station);
    CheckText(bytes, p.stationName);
    (void)StationLabel(p);
    const auto w = BroadcastSeconds(p, 0);
    if (w.has_value() != HasValidWindow(p)) std::abort();
    if (w && (w->end < w->start || w->end - w->start > 2 * 86400 + 3600)) std::abort();
  }
  return 0;
}
