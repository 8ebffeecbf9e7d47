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
    std::string raw;    // the line as read, without its line end; rebuilt when set
    std::string key;    // key of a "key=value" line, empty otherwise
    std::string value;  // its trimmed value
  };
  struct Section {
    std::string name;         // empty for the lines before the first section
    std::string header;       // the "[name]" line as read
    std::vector<Line> lines;
  };

  const Line* Find(std::string_view section, std::string_view key) const;
  Section* FindSection(std::string_view section);
  const Section* FindSection(std::string_view section) const;

  std::vector<Section> sections_;
  std::string eol_ = "\r\n";
  bool finalNewline_ = true;
};
