#pragma once

#include <linux/fscrypt.h>

namespace dustvane::testing {

// An fscrypt (v2) key, as a user adds it to unlock the folders made with it
// and removes it to lock them again. Its raw bytes are fixed: any key will do
// for a test.
class FolderKey {
 public:
  // Adds the key to the file system of the open folder `fd`.
  bool Add(int fd);
  // Removes it from the file system of the open folder `fd`; `busy` tells
  // whether a folder or file made with it was still in use, and so stayed
  // unlocked.
  bool Remove(int fd, bool* busy = nullptr);
  // Makes the open, empty folder `fd` encrypted with the key (added first).
  bool Encrypt(int fd) const;

 private:
  fscrypt_policy_v2 policy_ = {FSCRYPT_POLICY_V2, FSCRYPT_MODE_AES_256_XTS, FSCRYPT_MODE_AES_256_CTS,
                               FSCRYPT_POLICY_FLAGS_PAD_32, {}, {}};
};

}  // namespace dustvane::testing
