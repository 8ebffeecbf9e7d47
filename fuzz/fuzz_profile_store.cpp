// The profile store: any file parses, and written back unchanged gives the
// same bytes; a value set (any bytes but the zero) reads back as set after the
// store is written and parsed again, and no other key changes.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

#include "platform/profile_store.h"

namespace {

// Section and key names as the program writes them: no blanks at the ends,
// no brackets, '=' or line breaks.
std::string Name(FuzzedDataProvider& in) {
  std::string s = in.ConsumeRandomLengthString(12);
  std::string out;
  for (char c : s)
    if (c != '[' && c != ']' && c != '=' && c != '\r' && c != '\n' && c != ' ' && c != '\t' &&
        c != '\0' && c != ';')
      out += c;
  return out.empty() ? "k" : out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string file = in.ConsumeRandomLengthString(4096);
  ProfileStore store = ProfileStore::Parse(file);
  if (store.Serialize() != file) std::abort();

  const std::string section = Name(in), key = Name(in);
  std::string value = in.ConsumeRandomLengthString(64);
  value.erase(std::remove(value.begin(), value.end(), '\0'), value.end());
  const std::string otherKey = Name(in);
  const bool otherThere = store.HasKey(section, otherKey);
  const std::string otherBefore = store.GetString(section, otherKey, "");
  store.SetString(section, key, value);

  std::string expected = value;  // a line break cannot be stored: it reads as a blank
  for (char& c : expected)
    if (c == '\r' || c == '\n') c = ' ';
  if (store.GetString(section, key, "?") != expected) std::abort();
  const ProfileStore again = ProfileStore::Parse(store.Serialize());
  if (again.GetString(section, key, "?") != expected) std::abort();
  if (again.Serialize() != store.Serialize()) std::abort();
  // A different key keeps its value; a name that folds to key is key itself.
  std::string a = otherKey, b = key;
  for (char& c : a) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (char& c : b) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (a != b && otherThere && again.GetString(section, otherKey, "?") != otherBefore) std::abort();
  return 0;
}
