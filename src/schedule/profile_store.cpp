#include "schedule/profile_store.h"

#include <algorithm>

#include "platform/file.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Folded(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(), Lower);
  return out;
}

// A value enclosed in a matching pair of quotes is read without them.
std::string_view Unquote(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

}  // namespace

ProfileStore ProfileStore::Parse(std::string_view bytes) {
  ProfileStore store;
  store.sections_.emplace_back();  // lines before the first section header
  bool eolChosen = false;
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = pos;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
    std::string_view text = bytes.substr(pos, end - pos);
    std::string eol;
    if (end < bytes.size()) {
      if (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') {
        eol = "\r\n";
      } else {
        eol = std::string(1, bytes[end]);
      }
      if (!eolChosen) {
        store.eol_ = eol;
        eolChosen = true;
      }
    }
    pos = end + eol.size();

    Line line;
    line.raw = std::string(text);
    line.eol = eol;
    const std::string_view t = Trim(text);
    if (!t.empty() && t.front() == '[') {
      Section section;
      const size_t close = t.find(']');
      section.name = std::string(Trim(t.substr(1, close == std::string_view::npos ? t.size() - 1
                                                                                  : close - 1)));
      section.header = std::move(line);
      section.hasHeader = true;
      store.sections_.push_back(std::move(section));
      continue;
    }
    const size_t eq = text.find('=');
    if (eq != std::string_view::npos) {
      line.isKey = true;
      line.key = std::string(Trim(text.substr(0, eq)));
      line.value = std::string(Unquote(Trim(text.substr(eq + 1))));
    }
    store.sections_.back().lines.push_back(std::move(line));
  }
  for (auto& s : store.sections_) s.Reindex();
  store.RebuildSectionIndex();
  return store;
}

void ProfileStore::Section::Reindex() {
  index.clear();
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i].isKey) index.emplace(Folded(lines[i].key), i);  // the first key of a name wins
}

void ProfileStore::RebuildSectionIndex() {
  sectionIndex_.clear();
  for (size_t i = 1; i < sections_.size(); ++i) sectionIndex_.emplace(Folded(sections_[i].name), i);
}

ProfileStore ProfileStore::Load(const std::string& path) {
  const auto bytes = ReadFileBytes(path);
  return Parse(bytes ? *bytes : std::string());
}

bool ProfileStore::Save(const std::string& path) const {
  return WriteFileAtomically(path, Serialize());
}

std::string ProfileStore::Serialize() const {
  std::string out;
  const Line* pending = nullptr;  // last line written, whose end may still be missing
  auto put = [&](const Line& l, const std::string& text) {
    if (pending && pending->eol.empty()) out += eol_;
    out += text;
    out += l.eol;
    pending = &l;
  };
  for (const auto& s : sections_) {
    if (s.hasHeader) put(s.header, s.header.raw);
    for (const auto& l : s.lines) put(l, l.raw);
  }
  return out;
}

const ProfileStore::Section* ProfileStore::FindSection(std::string_view section) const {
  const auto it = sectionIndex_.find(Folded(Trim(section)));
  return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

ProfileStore::Section* ProfileStore::FindSection(std::string_view section) {
  const auto it = sectionIndex_.find(Folded(Trim(section)));
  return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

const ProfileStore::Line* ProfileStore::Find(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  if (!s) return nullptr;
  const auto it = s->index.find(Folded(Trim(key)));
  return it == s->index.end() ? nullptr : &s->lines[it->second];
}

bool ProfileStore::HasKey(std::string_view section, std::string_view key) const {
  return Find(section, key) != nullptr;
}

std::string ProfileStore::GetString(std::string_view section, std::string_view key,
                                    std::string_view def) const {
  const Line* l = Find(section, key);
  return l ? l->value : std::string(Trim(def));
}

int32_t ProfileStore::GetInt(std::string_view section, std::string_view key, int32_t def) const {
  const Line* l = Find(section, key);
  if (!l) return def;
  std::string_view v = l->value;
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
    sectionIndex_.emplace(Folded(sec), sections_.size() - 1);
    s = &sections_.back();
  }
  const std::string folded = Folded(k);
  const auto it = s->index.find(folded);
  if (it != s->index.end()) {
    Line& l = s->lines[it->second];
    l.value = std::string(value);
    l.raw = l.key + "=" + l.value;
    return;
  }
  Line l;
  l.isKey = true;
  l.key = std::string(k);
  l.value = std::string(value);
  l.raw = l.key + "=" + l.value;
  l.eol = eol_;
  // New keys go after the last non-empty line of the section, so blank lines
  // that separate it from the next section stay where they were.
  size_t at = s->lines.size();
  while (at > 0 && Trim(s->lines[at - 1].raw).empty()) --at;
  if (at == s->lines.size()) {
    s->lines.push_back(std::move(l));
    s->index.emplace(folded, s->lines.size() - 1);
  } else {
    s->lines.insert(s->lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(l));
    s->Reindex();
  }
}

void ProfileStore::SetInt(std::string_view section, std::string_view key, int32_t value) {
  SetString(section, key, std::to_string(value));
}
