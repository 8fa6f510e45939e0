// dustvane-walk [--list] [-0] [--pattern P] ROOT
//
// Runs the search over ROOT with the real file system, as the search button
// does, and reports what it found: with --list every line the search appends
// to the results list, in order, as raw bytes (each ended by a newline, or by
// a NUL byte with -0); on standard error every message the search would show,
// and last a line with the counts, the exact total and the wall time.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "search/find_files.h"

namespace {

using dustvane::MaybeFailure;
using dustvane::PathString;

class StreamResults final : public dustvane::ResultsList {
 public:
  StreamResults(bool list, char terminator) : list_(list), terminator_(terminator) {}
  MaybeFailure AddItem(const PathString& line) override {
    if (list_) {
      std::fwrite(line.data(), sizeof(line[0]), line.size(), stdout);
      std::fputc(terminator_, stdout);
    }
    return std::nullopt;
  }

 private:
  bool list_;
  char terminator_;
};

// The user closes every message at once.
class StderrMessages final : public dustvane::MessageDialog {
 public:
  MaybeFailure Show(const std::string& text, const std::string& title) override {
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
    return std::nullopt;
  }
};

int Usage() {
  std::fprintf(stderr, "usage: dustvane-walk [--list] [-0] [--pattern P] ROOT\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  bool list = false;
  char terminator = '\n';
  PathString pattern = "*.tmp";
  PathString root;
  bool haveRoot = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--list") {
      list = true;
    } else if (arg == "-0") {
      terminator = '\0';
    } else if (arg == "--pattern" && i + 1 < argc) {
      pattern = argv[++i];
    } else if (!haveRoot && (arg.empty() || arg[0] != '-' || arg == "-")) {
      root = arg;
      haveRoot = true;
    } else {
      return Usage();
    }
  }
  if (!haveRoot) return Usage();

  std::unique_ptr<dustvane::FileSystem> fileSystem = dustvane::MakeNativeFileSystem();
  StreamResults results(list, terminator);
  StderrMessages messages;
  dustvane::SearchContext context{*fileSystem, results, messages};
  int16_t fileCount = 0;
  int16_t dirCount = 0;

  const auto start = std::chrono::steady_clock::now();
  dustvane::Result<int64_t> total = dustvane::FindFiles(context, root, pattern, fileCount, dirCount);
  fileSystem->CloseFolders();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::fflush(stdout);

  if (!total.ok()) {
    std::fprintf(stderr, "%s\n", dustvane::ErrorMessageText(total.failure()).c_str());
    return 1;
  }
  std::fprintf(stderr, "files=%d folders=%d bytes=%lld seconds=%.6f\n", fileCount, dirCount,
               static_cast<long long>(total.value()), seconds);
  return 0;
}
