#pragma once
// An INI file held in memory, with the semantics of the Windows
// private-profile functions: sections and keys compare case-insensitively,
// values are trimmed, integers are read from their leading digits. Bytes are
// kept as they are (Shift-JIS passes through untouched), so is everything the
// store does not understand: unknown sections, keys, comments and line ends.
// A file is parsed once by Load and written once by Save, atomically.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class ProfileStore {
 public:
  ProfileStore() = default;

  // Parses text; never fails (lines that are neither a section nor a key are
  // kept as they are).
  static ProfileStore Parse(std::string_view bytes);
  // Reads and parses the file at path; a missing or unreadable file gives an
  // empty store.
  static ProfileStore Load(const std::string& path);
  // Writes the whole store to path through a temporary file and a rename.
  [[nodiscard]] bool Save(const std::string& path) const;
  std::string Serialize() const;

  // The value of key in section, or def when absent.
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view def) const;
  // The leading decimal integer of the value (optional sign), 0 when the value
  // has none, def when the key is absent.
  int32_t GetInt(std::string_view section, std::string_view key, int32_t def) const;
  bool HasKey(std::string_view section, std::string_view key) const;

  // Sets key in section, adding the section at the end and the key at the end
  // of its section when they are new.
  void SetString(std::string_view section, std::string_view key, std::string_view value);
  void SetInt(std::string_view section, std::string_view key, int32_t value);

 private:
  // One line as read: its text and, for a "key=value" line, where the
  // trimmed key and the trimmed, unquoted value lie in it.
  struct Line {
    std::string raw;  // without its line end; rebuilt when the value is set
    uint32_t keyPos = 0, keyLen = 0, valuePos = 0, valueLen = 0;
    uint8_t eol = 0;  // kEol* below
    bool isKey = false;
    std::string_view Key() const { return std::string_view(raw).substr(keyPos, keyLen); }
    std::string_view Value() const { return std::string_view(raw).substr(valuePos, valueLen); }
  };
  enum : uint8_t { kEolNone, kEolCrLf, kEolLf, kEolCr };
  struct Section {
    std::string name;  // empty for the lines before the first section header
    bool hasHeader = false;
    Line header;
    std::vector<Line> lines;
    // Folded-key hash -> line indexes; the lowest matching index is the key.
    std::unordered_multimap<uint64_t, uint32_t> index;
    void Reindex();
    const Line* Find(std::string_view key) const;
    Line* Find(std::string_view key);
  };

  Section* FindSection(std::string_view section);
  const Section* FindSection(std::string_view section) const;
  const Line* Find(std::string_view section, std::string_view key) const;
  static void SetLineKeyValue(Line& line, std::string_view key, std::string_view value);

  std::vector<Section> sections_;
  uint8_t eol_ = kEolCrLf;  // line end for new lines: the file's first one, CRLF by default
};
