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
  struct Line {
    std::string raw;    // the line as read (rebuilt when the value is set), without its end
    std::string eol;    // its line end as read: "\r\n", "\n", "\r" or "" at the end of the file
    bool isKey = false;
    std::string key;    // trimmed key of a "key=value" line
    std::string value;  // its trimmed, unquoted value
  };
  struct Section {
    std::string name;  // empty for the lines before the first section header
    bool hasHeader = false;
    Line header;
    std::vector<Line> lines;
    std::unordered_map<std::string, size_t> index;  // folded key -> first line with that key
    void Reindex();
  };

  const Line* Find(std::string_view section, std::string_view key) const;
  Section* FindSection(std::string_view section);
  const Section* FindSection(std::string_view section) const;
  void RebuildSectionIndex();

  std::vector<Section> sections_;
  std::unordered_map<std::string, size_t> sectionIndex_;  // folded name -> first such section
  std::string eol_ = "\r\n";  // line end for new lines: the file's first one, CRLF by default
};
