#include "platform/profile_store.h"

#include "platform/file.h"
#include "platform/text.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// FNV-1a over the folded bytes.
uint64_t FoldedHash(std::string_view s) {
  uint64_t h = 1469598103934665603ull;
  for (char c : s) {
    h ^= static_cast<unsigned char>(AsciiLower(c));
    h *= 1099511628211ull;
  }
  return h;
}

// A value enclosed in a matching pair of quotes is read without them.
std::string_view Unquote(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

const char* EolText(uint8_t eol) {
  switch (eol) {
    case 1: return "\r\n";
    case 2: return "\n";
    case 3: return "\r";
    default: return "";
  }
}

}  // namespace

void ProfileStore::Section::Reindex() {
  index.clear();
  index.reserve(lines.size());
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i].isKey) index.emplace(FoldedHash(lines[i].Key()), static_cast<uint32_t>(i));
}

const ProfileStore::Line* ProfileStore::Section::Find(std::string_view key) const {
  const auto range = index.equal_range(FoldedHash(key));
  const Line* best = nullptr;
  uint32_t bestIndex = 0;
  for (auto it = range.first; it != range.second; ++it) {
    const Line& l = lines[it->second];
    if ((!best || it->second < bestIndex) && EqualsIgnoringAsciiCase(l.Key(), key)) {
      best = &l;
      bestIndex = it->second;
    }
  }
  return best;
}

ProfileStore::Line* ProfileStore::Section::Find(std::string_view key) {
  return const_cast<Line*>(static_cast<const Section*>(this)->Find(key));
}

void ProfileStore::SetLineKeyValue(Line& line, std::string_view key, std::string_view value) {
  line.raw.clear();
  line.raw.reserve(key.size() + 1 + value.size());
  line.raw.append(key).append("=").append(value);
  line.isKey = true;
  line.keyPos = 0;
  line.keyLen = static_cast<uint32_t>(key.size());
  line.valuePos = line.keyLen + 1;
  line.valueLen = static_cast<uint32_t>(value.size());
}

ProfileStore ProfileStore::Parse(std::string_view bytes) {
  ProfileStore store;
  store.sections_.emplace_back();  // lines before the first section header
  bool eolChosen = false;
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = pos;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
    Line line;
    line.raw.assign(bytes.data() + pos, end - pos);
    size_t eolLen = 0;
    if (end < bytes.size()) {
      if (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') {
        line.eol = kEolCrLf;
        eolLen = 2;
      } else {
        line.eol = bytes[end] == '\n' ? kEolLf : kEolCr;
        eolLen = 1;
      }
      if (!eolChosen) {
        store.eol_ = line.eol;
        eolChosen = true;
      }
    }
    pos = end + eolLen;

    const std::string_view text(line.raw);
    const std::string_view t = Trim(text);
    if (!t.empty() && t.front() == '[') {
      Section section;
      const size_t close = t.find(']');
      section.name = std::string(
          Trim(t.substr(1, close == std::string_view::npos ? t.size() - 1 : close - 1)));
      section.header = std::move(line);
      section.hasHeader = true;
      store.sections_.push_back(std::move(section));
      continue;
    }
    const size_t eq = text.find('=');
    if (eq != std::string_view::npos) {
      const std::string_view key = Trim(text.substr(0, eq));
      const std::string_view value = Unquote(Trim(text.substr(eq + 1)));
      line.isKey = true;
      line.keyPos = static_cast<uint32_t>(key.data() - text.data());
      line.keyLen = static_cast<uint32_t>(key.size());
      line.valuePos = static_cast<uint32_t>(value.data() - text.data());
      line.valueLen = static_cast<uint32_t>(value.size());
    }
    store.sections_.back().lines.push_back(std::move(line));
  }
  for (auto& s : store.sections_) s.Reindex();
  return store;
}

ProfileStore ProfileStore::Load(const std::string& path) {
  const auto bytes = ReadFileBytes(path);
  return Parse(bytes ? *bytes : std::string());
}

bool ProfileStore::Save(const std::string& path) const {
  return WriteFileAtomically(path, Serialize());
}

std::string ProfileStore::Serialize() const {
  size_t size = 0;
  for (const auto& s : sections_) {
    size += s.header.raw.size() + 2;
    for (const auto& l : s.lines) size += l.raw.size() + 2;
  }
  std::string out;
  out.reserve(size);
  const Line* previous = nullptr;
  auto put = [&](const Line& l) {
    // A line that had no end (the file's last) gets one when more follow.
    if (previous && previous->eol == kEolNone) out += EolText(eol_);
    out += l.raw;
    out += EolText(l.eol);
    previous = &l;
  };
  for (const auto& s : sections_) {
    if (s.hasHeader) put(s.header);
    for (const auto& l : s.lines) put(l);
  }
  return out;
}

const ProfileStore::Section* ProfileStore::FindSection(std::string_view section) const {
  const std::string_view name = Trim(section);
  for (size_t i = 1; i < sections_.size(); ++i)
    if (EqualsIgnoringAsciiCase(sections_[i].name, name)) return &sections_[i];
  return nullptr;
}

ProfileStore::Section* ProfileStore::FindSection(std::string_view section) {
  return const_cast<Section*>(static_cast<const ProfileStore*>(this)->FindSection(section));
}

const ProfileStore::Line* ProfileStore::Find(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  return s ? s->Find(Trim(key)) : nullptr;
}

bool ProfileStore::HasKey(std::string_view section, std::string_view key) const {
  return Find(section, key) != nullptr;
}

std::string ProfileStore::GetString(std::string_view section, std::string_view key,
                                    std::string_view def) const {
  const Line* l = Find(section, key);
  return std::string(l ? l->Value() : Trim(def));
}

int32_t ProfileStore::GetInt(std::string_view section, std::string_view key, int32_t def) const {
  const Line* l = Find(section, key);
  if (!l) return def;
  std::string_view v = l->Value();
  bool negative = false;
  if (!v.empty() && (v.front() == '-' || v.front() == '+')) {
    negative = v.front() == '-';
    v.remove_prefix(1);
  }
  uint32_t n = 0;  // wraps like the platform's reader on overflow
  for (char c : v) {
    if (c < '0' || c > '9') break;
    n = n * 10u + static_cast<uint32_t>(c - '0');
  }
  return static_cast<int32_t>(negative ? 0u - n : n);
}

void ProfileStore::SetString(std::string_view section, std::string_view key,
                             std::string_view value) {
  const std::string_view sec = Trim(section);
  const std::string_view k = Trim(key);
  Section* s = FindSection(sec);
  if (!s) {
    if (sections_.empty()) sections_.emplace_back();
    Section fresh;
    fresh.name = std::string(sec);
    fresh.header.raw = "[" + fresh.name + "]";
    fresh.header.eol = eol_;
    fresh.hasHeader = true;
    sections_.push_back(std::move(fresh));
    s = &sections_.back();
  }
  if (Line* existing = s->Find(k)) {
    const uint8_t eol = existing->eol;
    const std::string keyText(existing->Key());
    SetLineKeyValue(*existing, keyText, value);
    existing->eol = eol;
    return;
  }
  Line l;
  SetLineKeyValue(l, k, value);
  l.eol = eol_;
  // New keys go after the last non-empty line of the section, so blank lines
  // that separate it from the next section stay where they were.
  size_t at = s->lines.size();
  while (at > 0 && Trim(s->lines[at - 1].raw).empty()) --at;
  if (at == s->lines.size()) {
    s->lines.push_back(std::move(l));
    s->index.emplace(FoldedHash(k), static_cast<uint32_t>(s->lines.size() - 1));
  } else {
    s->lines.insert(s->lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(l));
    s->Reindex();
  }
}

void ProfileStore::SetInt(std::string_view section, std::string_view key, int32_t value) {
  SetString(section, key, std::to_string(value));
}
