#include "search/posix/entry_attributes.h"

#include <sys/stat.h>

namespace dustvane {

Attributes KindAttributes(EntryKind kind, std::string_view name, bool closedFolder) {
  Attributes bits = 0;
  if (!name.empty() && name[0] == '.') bits |= AttrHidden;
  if (kind == EntryKind::kSpecial) bits |= AttrSystem;
  if (kind == EntryKind::kFolder) {
    bits |= AttrDirectory;
    if (closedFolder) bits |= AttrSystem;
  }
  return bits;
}

Attributes ModeAttributes(mode_t mode, std::string_view name, bool closedFolder) {
  Attributes bits = KindAttributes(KindOfMode(mode), name, closedFolder);
  if ((mode & S_IWUSR) == 0) bits |= AttrReadOnly;
  return bits;
}

}  // namespace dustvane
