#pragma once

#include <string>

namespace dustvane::testing {

// Makes a chain of `depth` folders named `name` inside `root` + `under`
// (`under` relative, "" or ending in "/"), with an empty "m.tmp" every
// `every` levels from its top down to its bottom (none for 0), and an empty
// folder `side` beside every folder of the chain (none for ""). Each folder
// is made and entered through its parent's descriptor, so the chain may
// outgrow any path limit. Returns the bottom's path relative to `root`; a
// failed step fails the test.
std::string MakeChainOfFolders(const std::string& root, const std::string& under, const std::string& name, int depth,
                               int every = 0, const std::string& side = "");

}  // namespace dustvane::testing
