#include "notify/secret.h"

#include "notify/mail_message.h"

bool StorePassword(ISecretSealer& sealer, std::string_view plain, std::string& stored) {
  stored.clear();
  if (plain.empty()) return true;
  std::string sealed;
  if (!sealer.Seal(plain, sealed)) return false;
  stored = Base64(sealed);
  return true;
}

bool ReadStoredPassword(ISecretSealer& sealer, std::string_view stored, std::string& plain) {
  plain.clear();
  if (stored.empty()) return true;
  std::string sealed;
  return Base64Decode(stored, sealed) && sealer.Unseal(sealed, plain);
}
