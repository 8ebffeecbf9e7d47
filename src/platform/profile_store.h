#pragma once
// An INI file held in memory, with the semantics of the Windows
// private-profile functions: sections and keys compare case-insensitively,
// values are trimmed, integers are read from their leading digits. Bytes are
// kept as they are (Shift-JIS passes through untouched), so is everything the
// store does not understand: unknown sections, keys, comments and line ends.
// A file is parsed once by Load and written once by Save, atomically.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file.h"

// Settings and template files larger than this are refused unread: a real
// one of ten thousand schedules is a few megabytes.
inline constexpr size_t kMaxProfileFileBytes = 16u << 20;

class ProfileStore {
 public:
  ProfileStore() = default;

  // Parses text; never fails (lines that are neither a section nor a key are
  // kept as they are).
  static ProfileStore Parse(std::string_view bytes);
  // The same, keeping bytes rather than a copy of them.
  static ProfileStore ParseTaking(std::string&& bytes);
  // Reads and parses the file at path; a missing file gives an empty store.
  // A file that exists but could not be read (or is larger than
  // kMaxProfileFileBytes) gives an empty store that refuses to be saved, so
  // that it can never take the place of content nobody has read; status,
  // when given, says which it was.
  static ProfileStore Load(const std::string& path, FileReadStatus* status = nullptr);
  // Writes the whole store to path through a temporary file and a rename.
  // False, and nothing written, for a store loaded from a file that could not
  // be read.
  [[nodiscard]] bool Save(const std::string& path) const;
  bool IsUnread() const { return unread_; }
  std::string Serialize() const;

  // The value of key in section, or def when absent.
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view def) const;
  // The leading decimal integer of the value (optional sign), 0 when the value
  // has none, def when the key is absent.
  int32_t GetInt(std::string_view section, std::string_view key, int32_t def) const;
  bool HasKey(std::string_view section, std::string_view key) const;
  // Calls visit with the trimmed name of every key line of section, in file
  // order (a key written twice is visited twice).
  template <class Visit>
  void ForEachKey(std::string_view section, Visit&& visit) const {
    if (const Section* s = FindSection(section))
      for (const Line& l : s->lines)
        if (l.isKey) visit(Key(l));
  }

  // Sets key in section, adding the section at the end and the key at the end
  // of its section when they are new. A value that reading would change (one
  // with blanks at either end, or enclosed in a pair of quotes) is written in
  // double quotes, so that it reads back as it was set. A line break cannot
  // be stored in a value: each becomes a blank.
  void SetString(std::string_view section, std::string_view key, std::string_view value);
  void SetInt(std::string_view section, std::string_view key, int32_t value);
  // Removes every key line of section whose trimmed name drop accepts.
  template <class Drop>
  void RemoveKeys(std::string_view section, Drop&& drop) {
    if (Section* s = FindSection(section)) {
      const size_t before = s->lines.size();
      s->lines.erase(std::remove_if(s->lines.begin(), s->lines.end(),
                                    [&](const Line& l) { return l.isKey && drop(Key(l)); }),
                     s->lines.end());
      if (s->lines.size() != before) Reindex(*s);
    }
  }

  // Whether writing after over a file that holds now would change a value
  // that someone else changed since the file held before: a key (of any
  // section) whose value, or presence, differs between before and now, and
  // differs again between now and after. Keys that only others changed, and
  // keys changed by others to exactly what after holds, are no such change.
  static bool OverwritesChanges(const ProfileStore& before, const ProfileStore& now,
                                const ProfileStore& after);

 private:
  // One line as read or set: where its text lies (in text_, or in edits_
  // once set) and, for a "key=value" line, where the trimmed key and the
  // trimmed, unquoted value lie in that text. Lines are offsets, not strings
  // of their own, so a file of many thousand keys is read and written
  // without an allocation per line.
  struct Line {
    uint32_t begin = 0, len = 0;
    uint32_t keyPos = 0, keyLen = 0, valuePos = 0, valueLen = 0;
    uint8_t eol = 0;  // kEol* below
    bool isKey = false;
    bool edited = false;  // the text is in edits_
    bool first = false;   // the first line of its key, the one the index holds
    uint8_t kind = 0;     // kKind* below: what the line is, as read
  };
  enum : uint8_t { kEolNone, kEolCrLf, kEolLf, kEolCr };
  enum : uint8_t { kKindText, kKindBlank, kKindHeader };
  struct Section {
    std::string name;  // empty for the lines before the first section header
    bool hasHeader = false;
    Line header;
    std::vector<Line> lines;     // up to the section's last non-blank line
    std::vector<Line> trailing;  // the blank lines after it; new keys go before them
    // Open addressing over the first line of each folded key: the folded
    // hash's high half above the line index + 1; 0 marks a free slot.
    std::vector<uint64_t> index;
    uint32_t indexed = 0;
    // The line after the one found last: a file read or written key after
    // key in its own order is found there without a hash probe, which in a
    // large file costs a cache miss each. (So a store is not for readers on
    // several threads at once.)
    mutable uint32_t hint = 0;
  };

  // The lines of text, each with its line end, its kind and, for a
  // "key=value" line, where its trimmed key and value lie.
  static std::vector<Line> SplitLines(std::string_view text);
  // Sizes a section's lines and index for count lines.
  static void Reserve(Section& section, uint32_t count);

  std::string_view Raw(const Line& l) const;
  std::string_view Key(const Line& l) const { return Raw(l).substr(l.keyPos, l.keyLen); }
  std::string_view Value(const Line& l) const { return Raw(l).substr(l.valuePos, l.valueLen); }
  // The line index of key in s, or -1.
  int64_t FindLine(const Section& s, std::string_view key, uint64_t hash) const;
  // The same through the index alone.
  int64_t ProbeLine(const Section& s, std::string_view key, uint64_t hash) const;
  // Indexes line i of s unless an earlier line holds the same key.
  void IndexLine(Section& s, uint32_t i, uint64_t hash);
  // Indexes every key line of s anew (after lines were taken out).
  void Reindex(Section& s);
  // Calls visit(section name, key) for every key line of every section.
  template <class Visit>
  void ForEachKeyLine(Visit&& visit) const {
    for (const Section& s : sections_)
      for (const Line& l : s.lines)
        if (l.isKey) visit(std::string_view(s.name), Key(l));
  }
  void SetLineKeyValue(Line& line, std::string_view key, std::string_view value);

  Section* FindSection(std::string_view section);
  const Section* FindSection(std::string_view section) const;
  const Line* Find(std::string_view section, std::string_view key) const;

  std::string text_;   // the bytes parsed
  std::string edits_;  // the text of every line set since
  std::vector<Section> sections_;
  uint8_t eol_ = kEolCrLf;  // line end for new lines: the file's first one, CRLF by default
  bool unread_ = false;     // stands for a file that exists and was not read
};
