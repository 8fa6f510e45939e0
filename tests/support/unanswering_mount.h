#pragma once

#include <string>

namespace dustvane::testing {

// A FUSE file system mounted at a folder (or a file) whose server never
// answers: every request into it (a stat of the mount point included) waits
// for good, as on a dead network mount or a phone that stopped replying. Closing the mount
// ends the connection, and every waiting call then fails with ENOTCONN.
// Needs root and /dev/fuse, and belongs in a private mount namespace.
class UnansweringMount {
 public:
  UnansweringMount() = default;
  ~UnansweringMount() { Close(); }
  UnansweringMount(const UnansweringMount&) = delete;
  UnansweringMount& operator=(const UnansweringMount&) = delete;

  // Mounts it on `folder` (or a file), which must exist; false where this is
  // not allowed.
  bool Mount(const std::string& folder);
  // Ends the connection and detaches the mount; done by the destructor too.
  void Close();

 private:
  int device_ = -1;
  std::string folder_;
};

}  // namespace dustvane::testing
