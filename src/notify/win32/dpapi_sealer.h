#pragma once
// Secrets sealed for the Windows user by the system's data protection
// (CryptProtectData): only the same user on the same PC can open them.
#include "notify/secret.h"

class CDpapiSealer : public ISecretSealer {
 public:
  bool Seal(std::string_view plain, std::string& sealed) override;
  bool Unseal(std::string_view sealed, std::string& plain) override;
};
