#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "search/failure.h"

namespace dustvane {

// Opens the last folder of `way` (WalkedFolders::WayTo): the root by its
// path, each folder below by its name inside the one above, and holds each
// against the mark it was noted with before it goes further. The platform
// gives the three operations, in `ops`:
//   Result<Handle> OpenRoot(PathView path)
//   Result<Handle> OpenChild(const Handle& folder, PathView name)  -- never through a link
//   bool Bears(const Handle& folder, const Mark& mark)
// and Failure Gone(), the failure of a folder that does not bear its mark.
// A step that fails ends the way with its failure.
template <class Handle, class Step, class Ops>
Result<Handle> OpenProvenWay(const std::vector<Step>& way, Ops& ops) {
  Result<Handle> at = ops.OpenRoot(way.front().name);
  for (size_t depth = 0;; ++depth) {
    if (!at.ok()) return at.failure();
    if (!ops.Bears(at.value(), way[depth].mark)) return ops.Gone();
    if (depth + 1 == way.size()) return at;
    at = ops.OpenChild(at.value(), way[depth + 1].name);
  }
}

}  // namespace dustvane
