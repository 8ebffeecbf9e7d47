#pragma once
// A secret kept in the settings file (the mail password): sealed for the
// Windows user by the system (DPAPI) and stored as base64 under its own key,
// never as the text the user typed.
#include <string>
#include <string_view>

// Seals bytes so that only the same user can open them; DPAPI on Windows, a
// double in tests.
class ISecretSealer {
 public:
  virtual ~ISecretSealer() = default;
  [[nodiscard]] virtual bool Seal(std::string_view plain, std::string& sealed) = 0;
  [[nodiscard]] virtual bool Unseal(std::string_view sealed, std::string& plain) = 0;
};

// The stored text of a password ("" for none); false when it cannot be sealed.
[[nodiscard]] bool StorePassword(ISecretSealer& sealer, std::string_view plain,
                                 std::string& stored);
// The password of its stored text ("" for none); false when the text is not
// one this user sealed (another user's, or damaged).
[[nodiscard]] bool ReadStoredPassword(ISecretSealer& sealer, std::string_view stored,
                                      std::string& plain);
