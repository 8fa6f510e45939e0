// dustvane-maketree --profile NAME ROOT
//
// Makes the same test tree on every machine under ROOT (new or empty), for
// measuring and checking the walk, and prints what it made. Its last line is
// what `dustvane-walk ROOT` must report for the tree, less the time:
// `files=N folders=M bytes=T`.

#include <cstdio>
#include <string>
#include <string_view>

#include "bench/tree_plan.h"
#include "bench/tree_profile.h"
#include "bench/tree_writer.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: dustvane-maketree --profile %s ROOT\n",
               std::string(dustvane::bench::ProfileNames()).c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace dustvane::bench;
  if (argc != 4 || std::string_view(argv[1]) != "--profile") return Usage();
  const std::optional<TreeProfile> profile = FindProfile(argv[2]);
  if (!profile) return Usage();
  const std::string root = argv[3];

  const TreePlan plan = PlanTree(*profile);
  if (const auto failure = WriteTree(plan, root)) {
    std::fprintf(stderr, "dustvane-maketree: %s\n", failure->c_str());
    return 1;
  }
  const TreeSummary s = Summarize(plan);
  std::printf("profile=%s folders=%lld files=%lld links=%lld fifos=%lld hidden=%lld\n",
              std::string(profile->name).c_str(), (long long)s.folders, (long long)s.files,
              (long long)s.links, (long long)s.fifos, (long long)s.hidden);
  std::printf("max_depth=%lld widest_folder=%lld all_file_bytes=%lld\n", (long long)s.maxDepth,
              (long long)s.widest, (long long)s.allBytes);
  std::printf("matches=%lld match_bytes=%lld\n", (long long)s.matches, (long long)s.matchBytes);
  std::printf("files=%lld folders=%lld bytes=%lld\n", (long long)s.matches, (long long)s.folders,
              (long long)s.matchBytes);
  return 0;
}
