#pragma once

#include <optional>
#include <string>

#include "bench/tree_plan.h"

namespace dustvane::bench {

// Creates the planned tree under `root`, which must be missing or empty (a
// tree is never mixed into other files). Returns what went wrong, if anything.
std::optional<std::string> WriteTree(const TreePlan& plan, const std::string& root);

}  // namespace dustvane::bench
