#include "platform/profile_store.h"

#include <algorithm>
#include <cstdio>
#include <optional>

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

std::string_view ProfileStore::Raw(const Line& l) const {
  return std::string_view(l.edited ? edits_ : text_).substr(l.begin, l.len);
}

int64_t ProfileStore::FindLine(const Section& s, std::string_view key, uint64_t hash) const {
  if (s.hint < s.lines.size()) {
    const Line& next = s.lines[s.hint];
    if (next.first && EqualsIgnoringAsciiCase(Key(next), key)) return s.hint++;
  }
  const int64_t line = ProbeLine(s, key, hash);
  if (line >= 0) s.hint = static_cast<uint32_t>(line) + 1;
  return line;
}

int64_t ProfileStore::ProbeLine(const Section& s, std::string_view key, uint64_t hash) const {
  if (s.index.empty()) return -1;
  const size_t mask = s.index.size() - 1;
  const uint64_t tag = hash >> 32;
  for (size_t at = static_cast<size_t>(hash) & mask;; at = (at + 1) & mask) {
    const uint64_t slot = s.index[at];
    if (slot == 0) return -1;
    const uint32_t line = static_cast<uint32_t>(slot) - 1;
    if ((slot >> 32) == tag && EqualsIgnoringAsciiCase(Key(s.lines[line]), key)) return line;
  }
}

void ProfileStore::IndexLine(Section& s, uint32_t i, uint64_t hash) {
  if (ProbeLine(s, Key(s.lines[i]), hash) >= 0) return;  // an earlier line holds the key
  if ((s.indexed + 1) * 2 > s.index.size()) {
    // Grow to twice the size and place every indexed line again.
    std::vector<uint64_t> old(std::max<size_t>(16, s.index.size() * 2), 0);
    old.swap(s.index);
    const size_t mask = s.index.size() - 1;
    for (const uint64_t slot : old) {
      if (slot == 0) continue;
      const uint64_t h = FoldedHash(Key(s.lines[static_cast<uint32_t>(slot) - 1]));
      size_t at = static_cast<size_t>(h) & mask;
      while (s.index[at] != 0) at = (at + 1) & mask;
      s.index[at] = slot;
    }
  }
  const size_t mask = s.index.size() - 1;
  size_t at = static_cast<size_t>(hash) & mask;
  while (s.index[at] != 0) at = (at + 1) & mask;
  s.index[at] = ((hash >> 32) << 32) | (uint64_t{i} + 1);
  s.lines[i].first = true;
  ++s.indexed;
}

void ProfileStore::Reindex(Section& s) {
  s.index.clear();
  s.indexed = 0;
  s.hint = 0;
  for (Line& l : s.lines) l.first = false;
  for (uint32_t i = 0; i < s.lines.size(); ++i)
    if (s.lines[i].isKey) IndexLine(s, i, FoldedHash(Key(s.lines[i])));
}

void ProfileStore::SetLineKeyValue(Line& line, std::string_view key, std::string_view value) {
  // Reading trims blanks and takes off a pair of enclosing quotes: a value
  // that either would change gets quotes of its own.
  auto blankAfterSet = [](char c) { return IsBlank(c) || c == '\r' || c == '\n'; };
  const bool quote = !value.empty() && (blankAfterSet(value.front()) ||
                                        blankAfterSet(value.back()) || Unquote(value) != value);
  line.begin = static_cast<uint32_t>(edits_.size());
  edits_.append(key).append("=");
  line.valuePos = static_cast<uint32_t>(key.size() + 1 + (quote ? 1 : 0));
  if (quote) edits_ += '"';
  const size_t valueAt = edits_.size();
  edits_.append(value);
  for (size_t i = valueAt; i < edits_.size(); ++i)
    if (edits_[i] == '\r' || edits_[i] == '\n') edits_[i] = ' ';  // a line break would end the value
  if (quote) edits_ += '"';
  line.len = static_cast<uint32_t>(edits_.size() - line.begin);
  line.edited = true;
  line.isKey = true;
  line.keyPos = 0;
  line.keyLen = static_cast<uint32_t>(key.size());
  line.valueLen = static_cast<uint32_t>(value.size());
}

ProfileStore ProfileStore::Parse(std::string_view bytes) {
  return ParseTaking(std::string(bytes.data(), bytes.size()));
}

std::vector<ProfileStore::Line> ProfileStore::SplitLines(std::string_view text) {
  std::vector<Line> lines;
  lines.reserve(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    Line line;
    line.begin = static_cast<uint32_t>(pos);
    line.len = static_cast<uint32_t>(end - pos);
    size_t eolLen = 0;
    if (end < text.size()) {
      if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') {
        line.eol = kEolCrLf;
        eolLen = 2;
      } else {
        line.eol = text[end] == '\n' ? kEolLf : kEolCr;
        eolLen = 1;
      }
    }
    const std::string_view raw = text.substr(pos, end - pos);
    pos = end + eolLen;

    const std::string_view t = Trim(raw);
    const size_t eq = raw.find('=');
    if (t.empty()) {
      line.kind = kKindBlank;
    } else if (t.front() == '[') {
      line.kind = kKindHeader;
    } else if (eq != std::string_view::npos) {
      const std::string_view key = Trim(raw.substr(0, eq));
      const std::string_view value = Unquote(Trim(raw.substr(eq + 1)));
      line.isKey = true;
      line.keyPos = static_cast<uint32_t>(key.data() - raw.data());
      line.keyLen = static_cast<uint32_t>(key.size());
      line.valuePos = static_cast<uint32_t>(value.data() - raw.data());
      line.valueLen = static_cast<uint32_t>(value.size());
    }
    lines.push_back(line);
  }
  return lines;
}

void ProfileStore::Reserve(Section& section, uint32_t count) {
  section.lines.reserve(count);
  if (count == 0) return;
  size_t slots = 16;
  while (slots < 2 * (size_t{count} + 1)) slots *= 2;
  section.index.assign(slots, 0);
}

ProfileStore ProfileStore::ParseTaking(std::string&& bytes) {
  ProfileStore store;
  store.text_ = std::move(bytes);
  const std::vector<Line> all = SplitLines(store.text_);
  for (const Line& line : all)
    if (line.eol != kEolNone) {
      store.eol_ = line.eol;
      break;
    }
  // Each section's lines are counted first, so that its lines and its index
  // are allocated once at their size: growing them line by line copies and
  // frees ever larger blocks, which the Windows heap made cost more than the
  // file's size (10 000 entries took 28 times as long as 1000).
  std::vector<uint32_t> counts(1, 0);
  for (const Line& line : all) {
    if (line.kind == kKindHeader)
      counts.push_back(0);
    else if (line.kind == kKindText)
      ++counts.back();
  }
  store.sections_.reserve(counts.size());
  store.sections_.emplace_back();  // lines before the first section header
  Reserve(store.sections_.back(), counts[0]);
  for (const Line& line : all) {
    if (line.kind == kKindHeader) {
      const std::string_view t = Trim(store.Raw(line));
      const size_t close = t.find(']');
      Section section;
      section.name = std::string(
          Trim(t.substr(1, close == std::string_view::npos ? t.size() - 1 : close - 1)));
      section.header = line;
      section.hasHeader = true;
      Reserve(section, counts[store.sections_.size()]);
      store.sections_.push_back(std::move(section));
      continue;
    }
    Section& s = store.sections_.back();
    if (line.kind == kKindBlank) {
      s.trailing.push_back(line);
      continue;
    }
    // A line with text ends the blank run: those blank lines were inside.
    s.lines.insert(s.lines.end(), s.trailing.begin(), s.trailing.end());
    s.trailing.clear();
    s.lines.push_back(line);
    if (line.isKey) {
      const uint32_t i = static_cast<uint32_t>(s.lines.size() - 1);
      store.IndexLine(s, i, FoldedHash(store.Key(s.lines[i])));
    }
  }
  return store;
}

ProfileStore ProfileStore::Load(const std::string& path, FileReadStatus* status) {
  FileRead read = ReadFileBounded(path, kMaxProfileFileBytes);
  if (status) *status = read.status;
  ProfileStore store = ParseTaking(std::move(read.bytes));
  store.unread_ =
      read.status == FileReadStatus::kUnreadable || read.status == FileReadStatus::kTooLarge;
  return store;
}

bool ProfileStore::Save(const std::string& path) const {
  if (unread_) return false;
  return WriteFileAtomically(path, Serialize());
}

std::string ProfileStore::Serialize() const {
  size_t size = 0;
  for (const auto& s : sections_) {
    size += s.header.len + 2;
    for (const auto& l : s.lines) size += l.len + 2;
    for (const auto& l : s.trailing) size += l.len + 2;
  }
  std::string out;
  out.reserve(size);
  const Line* previous = nullptr;
  auto put = [&](const Line& l) {
    // A line that had no end (the file's last) gets one when more follow.
    if (previous && previous->eol == kEolNone) out += EolText(eol_);
    out += Raw(l);
    out += EolText(l.eol);
    previous = &l;
  };
  for (const auto& s : sections_) {
    if (s.hasHeader) put(s.header);
    for (const auto& l : s.lines) put(l);
    for (const auto& l : s.trailing) put(l);
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
  if (!s) return nullptr;
  const std::string_view k = Trim(key);
  const int64_t i = FindLine(*s, k, FoldedHash(k));
  return i < 0 ? nullptr : &s->lines[static_cast<size_t>(i)];
}

bool ProfileStore::HasKey(std::string_view section, std::string_view key) const {
  return Find(section, key) != nullptr;
}

std::string ProfileStore::GetString(std::string_view section, std::string_view key,
                                    std::string_view def) const {
  const Line* l = Find(section, key);
  return std::string(l ? Value(*l) : Trim(def));
}

int32_t ProfileStore::GetInt(std::string_view section, std::string_view key, int32_t def) const {
  const Line* l = Find(section, key);
  if (!l) return def;
  std::string_view v = Value(*l);
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
    fresh.header.begin = static_cast<uint32_t>(edits_.size());
    edits_.append("[").append(sec).append("]");
    fresh.header.len = static_cast<uint32_t>(edits_.size() - fresh.header.begin);
    fresh.header.edited = true;
    fresh.header.eol = eol_;
    fresh.hasHeader = true;
    sections_.push_back(std::move(fresh));
    s = &sections_.back();
  }
  const uint64_t hash = FoldedHash(k);
  const int64_t found = FindLine(*s, k, hash);
  if (found >= 0) {
    Line& existing = s->lines[static_cast<size_t>(found)];
    // The key keeps its spelling. Text read from the file stays where it is;
    // text set before lies in edits_, which the new line may move.
    if (!existing.edited) {
      SetLineKeyValue(existing, Key(existing), value);
    } else {
      const std::string keyText(Key(existing));
      SetLineKeyValue(existing, keyText, value);
    }
    return;
  }
  // New keys go after the last non-blank line of the section, so blank lines
  // that separate it from the next section stay where they were.
  Line l;
  SetLineKeyValue(l, k, value);
  l.eol = eol_;
  s->lines.push_back(l);
  IndexLine(*s, static_cast<uint32_t>(s->lines.size() - 1), hash);
}

void ProfileStore::SetInt(std::string_view section, std::string_view key, int32_t value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%d", static_cast<int>(value));
  SetString(section, key, buf);
}

bool ProfileStore::OverwritesChanges(const ProfileStore& before, const ProfileStore& now,
                                     const ProfileStore& after) {
  // A key absent from a store reads as no value, unlike an empty one.
  auto value = [](const ProfileStore& store, std::string_view section,
                  std::string_view key) -> std::optional<std::string_view> {
    const Line* l = store.Find(section, key);
    if (!l) return std::nullopt;
    return store.Value(*l);
  };
  bool overwrites = false;
  auto check = [&](std::string_view section, std::string_view key) {
    if (overwrites) return;
    const auto n = value(now, section, key);
    overwrites = n != value(before, section, key) && n != value(after, section, key);
  };
  // Every key of the three stores: one changed or added by others, or one
  // they removed that after sets again.
  before.ForEachKeyLine(check);
  now.ForEachKeyLine(check);
  after.ForEachKeyLine(check);
  return overwrites;
}
