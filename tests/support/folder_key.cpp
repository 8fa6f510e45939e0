#include "tests/support/folder_key.h"

#include <sys/ioctl.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace dustvane::testing {

bool FolderKey::Add(int fd) {
  std::vector<uint8_t> buffer(sizeof(fscrypt_add_key_arg) + 64, 0);
  auto* arg = reinterpret_cast<fscrypt_add_key_arg*>(buffer.data());
  arg->key_spec.type = FSCRYPT_KEY_SPEC_TYPE_IDENTIFIER;
  arg->raw_size = 64;
  std::memset(arg->raw, 0x5a, 64);
  if (ioctl(fd, FS_IOC_ADD_ENCRYPTION_KEY, arg) != 0) return false;
  std::memcpy(policy_.master_key_identifier, arg->key_spec.u.identifier, FSCRYPT_KEY_IDENTIFIER_SIZE);
  return true;
}

bool FolderKey::Remove(int fd, bool* busy) {
  fscrypt_remove_key_arg arg = {};
  arg.key_spec.type = FSCRYPT_KEY_SPEC_TYPE_IDENTIFIER;
  std::memcpy(arg.key_spec.u.identifier, policy_.master_key_identifier, FSCRYPT_KEY_IDENTIFIER_SIZE);
  if (ioctl(fd, FS_IOC_REMOVE_ENCRYPTION_KEY, &arg) != 0) return false;
  if (busy != nullptr) *busy = (arg.removal_status_flags & FSCRYPT_KEY_REMOVAL_STATUS_FLAG_FILES_BUSY) != 0;
  return true;
}

bool FolderKey::Encrypt(int fd) const { return ioctl(fd, FS_IOC_SET_ENCRYPTION_POLICY, &policy_) == 0; }

}  // namespace dustvane::testing
