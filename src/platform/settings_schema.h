#pragma once
// The settings file's records as tables of fields: each row names a key, the
// member that holds it, its default, its kind and its limits. One load, one
// save, one comparison and one copy walk a record's table, so a new setting
// is one row and its default is written nowhere else.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/profile_store.h"
#include "platform/text.h"

enum class FieldKind : uint8_t {
  kNumber,   // a decimal integer, brought inside [low, high]
  kSwitch,   // 0 or 1: any non-zero number reads as 1
  kText,     // bytes as stored; a value over maxBytes is refused and the old one stays
  kCutText,  // bytes as stored, cut to maxBytes (never inside a double-byte character)
};

template <class Record>
struct SettingsField {
  // The key; for a record stored once per index, a template with one "%d".
  const char* key;
  FieldKind kind;
  int32_t Record::*number;    // kNumber, kSwitch
  std::string Record::*text;  // kText, kCutText
  int32_t numberDefault;
  const char* textDefault;
  int32_t low, high;  // a number's range
  size_t maxBytes;    // a text's longest value
  bool saved;         // false: read, never written (a key only the user edits)
  // A number held as another type (an enum), when number is null: the stored
  // number of the member, and the member from a stored number.
  int32_t (*getNumber)(const Record&) = nullptr;
  void (*setNumber)(Record&, int32_t) = nullptr;
};

namespace settings_schema_detail {
template <class M>
struct MemberOf;
template <class R, class T>
struct MemberOf<T R::*> {
  using Record = R;
  using Type = T;
};
}  // namespace settings_schema_detail

template <class R>
constexpr SettingsField<R> NumberField(const char* key, int32_t R::*member, int32_t def,
                                       int32_t low = INT32_MIN, int32_t high = INT32_MAX) {
  return {key, FieldKind::kNumber, member, nullptr, def, "", low, high, 0, true};
}
template <class R>
constexpr SettingsField<R> SwitchField(const char* key, int32_t R::*member, int32_t def) {
  return {key, FieldKind::kSwitch, member, nullptr, def, "", 0, 1, 0, true};
}
template <class R>
constexpr SettingsField<R> TextField(const char* key, std::string R::*member, const char* def,
                                     size_t maxBytes = SIZE_MAX) {
  return {key, FieldKind::kText, nullptr, member, 0, def, 0, 0, maxBytes, true};
}
template <class R>
constexpr SettingsField<R> CutTextField(const char* key, std::string R::*member, size_t maxBytes) {
  return {key, FieldKind::kCutText, nullptr, member, 0, "", 0, 0, maxBytes, true};
}
// An enum member of two values kept as a switch: the file holds Off as 0
// and On as 1, and any non-zero number reads as On.
template <auto Member, auto Off, auto On,
          class R = typename settings_schema_detail::MemberOf<decltype(Member)>::Record>
constexpr SettingsField<R> SwitchEnumField(const char* key, decltype(On) def) {
  using E = typename settings_schema_detail::MemberOf<decltype(Member)>::Type;
  static_assert(std::is_enum_v<E> && std::is_same_v<E, decltype(Off)> &&
                    std::is_same_v<E, decltype(On)> && Off != On,
                "a switch between two values of the member's enum");
  return {key,
          FieldKind::kSwitch,
          nullptr,
          nullptr,
          def == On ? 1 : 0,
          "",
          0,
          1,
          0,
          true,
          [](const R& r) -> int32_t { return r.*Member == On ? 1 : 0; },
          [](R& r, int32_t v) { r.*Member = v != 0 ? On : Off; }};
}
template <class R>
constexpr SettingsField<R> ReadOnly(SettingsField<R> field) {
  field.saved = false;
  return field;
}

// A record's table: its section and its rows, in the order they are written.
template <class Record>
struct SettingsTable {
  const char* section;
  const SettingsField<Record>* rows;
  size_t count;
  const SettingsField<Record>* begin() const { return rows; }
  const SettingsField<Record>* end() const { return rows + count; }
};
template <class R, size_t N>
constexpr SettingsTable<R> MakeSettingsTable(const char* section, const SettingsField<R> (&rows)[N]) {
  return {section, rows, N};
}

// A field's key for the record at index (a key without "%d" when index < 0).
inline std::string FieldKey(const char* key, int32_t index) {
  if (index < 0) return key;
  char buf[64];
  std::snprintf(buf, sizeof buf, key, static_cast<int>(index));
  return buf;
}

// The name of a key before its "[index]" (name of name[%d]).
inline std::string_view FieldKeyName(const char* key) {
  const std::string_view k(key);
  return k.substr(0, k.find('['));
}

namespace settings_schema_detail {
inline int32_t Normalized(FieldKind kind, int32_t v, int32_t low, int32_t high) {
  if (kind == FieldKind::kSwitch) return v != 0 ? 1 : 0;
  return v < low ? low : v > high ? high : v;
}
// A record smaller than a text holds no text: the walkers leave the text
// rows out of its code (the compiler cannot see that its rows have none).
template <class R>
constexpr bool kMayHoldText = sizeof(R) >= sizeof(std::string);

template <class R>
bool IsNumber(const SettingsField<R>& f) {
  return f.kind == FieldKind::kNumber || f.kind == FieldKind::kSwitch;
}
template <class R>
int32_t GetNumber(const SettingsField<R>& f, const R& r) {
  return f.number ? r.*f.number : f.getNumber(r);
}
template <class R>
void SetNumber(const SettingsField<R>& f, R& r, int32_t v) {
  if (f.number)
    r.*f.number = v;
  else
    f.setNumber(r, v);
}
}  // namespace settings_schema_detail

// Sets every field of record from its key in store: a missing key gives the
// row's default, a value outside the row's limits is brought inside them.
template <class R>
void LoadFields(const ProfileStore& store, const SettingsTable<R>& table, R& record,
                int32_t index = -1) {
  for (const SettingsField<R>& f : table) {
    const std::string key = FieldKey(f.key, index);
    switch (f.kind) {
      case FieldKind::kNumber:
      case FieldKind::kSwitch:
        settings_schema_detail::SetNumber(
            f, record,
            settings_schema_detail::Normalized(
                f.kind, store.GetInt(table.section, key, f.numberDefault), f.low, f.high));
        break;
      case FieldKind::kText:
      case FieldKind::kCutText:
        if constexpr (settings_schema_detail::kMayHoldText<R>) {
          std::string v = store.GetString(table.section, key, f.textDefault);
          if (f.kind == FieldKind::kCutText)
            v.resize(SjisCutLength(v, f.maxBytes));
          else if (v.size() > f.maxBytes)
            break;  // refused: the old value stays
          record.*f.text = std::move(v);
        }
        break;
    }
  }
}

// Writes every saved field of record, numbers as decimal text.
template <class R>
void SaveFields(ProfileStore& store, const SettingsTable<R>& table, const R& record,
                int32_t index = -1) {
  for (const SettingsField<R>& f : table) {
    if (!f.saved) continue;
    const std::string key = FieldKey(f.key, index);
    switch (f.kind) {
      case FieldKind::kNumber:
      case FieldKind::kSwitch:
        store.SetInt(table.section, key, settings_schema_detail::GetNumber(f, record));
        break;
      case FieldKind::kText:
      case FieldKind::kCutText:
        if constexpr (settings_schema_detail::kMayHoldText<R>)
          store.SetString(table.section, key, record.*f.text);
        break;
    }
  }
}

// Every field of record at its row's default.
template <class R>
void DefaultFields(const SettingsTable<R>& table, R& record) {
  for (const SettingsField<R>& f : table) {
    if (settings_schema_detail::IsNumber(f))
      settings_schema_detail::SetNumber(f, record, f.numberDefault);
    else if constexpr (settings_schema_detail::kMayHoldText<R>)
      record.*f.text = f.textDefault;
  }
}

// Copies every field of the table from one record to another; a switch
// arrives as 0 or 1.
template <class R>
void CopyFields(const SettingsTable<R>& table, const R& from, R& to) {
  for (const SettingsField<R>& f : table) {
    if (settings_schema_detail::IsNumber(f)) {
      const int32_t v = settings_schema_detail::GetNumber(f, from);
      settings_schema_detail::SetNumber(f, to, f.kind == FieldKind::kSwitch ? (v != 0 ? 1 : 0) : v);
    } else if constexpr (settings_schema_detail::kMayHoldText<R>) {
      to.*f.text = from.*f.text;
    }
  }
}

// True when every field of the table is equal in both records.
template <class R>
bool SameFields(const SettingsTable<R>& table, const R& a, const R& b) {
  for (const SettingsField<R>& f : table) {
    if (settings_schema_detail::IsNumber(f)) {
      if (settings_schema_detail::GetNumber(f, a) != settings_schema_detail::GetNumber(f, b))
        return false;
    } else if constexpr (settings_schema_detail::kMayHoldText<R>) {
      if (a.*f.text != b.*f.text) return false;
    }
  }
  return true;
}
