// Any bytes as an iEPG file: the reader never fails, and the title it takes
// is at most the limit and never ends in half a two-byte character.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "iepg/iepg_reader.h"
#include "platform/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const IepgProgram p = ParseIepg(bytes);
  if (p.title.size() > kIepgTitleMax) std::abort();
  if (!(p.found & kIepgTitle) && !p.title.empty()) std::abort();
  // The title is a prefix of some line of the file, cut at a character edge.
  size_t n = 0;
  while (n < p.title.size())
    n += IsSjisLeadByte(static_cast<unsigned char>(p.title[n])) && n + 1 < p.title.size() ? 2 : 1;
  if (n != p.title.size()) std::abort();
  if (!p.title.empty() && bytes.find(p.title) == std::string_view::npos) std::abort();
  return 0;
}
