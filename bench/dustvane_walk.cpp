// dustvane-walk [--list] [-0] [--pattern P] [--read-ahead off|cold|always] [--threads N] [--remove N] ROOT
//
// Runs the search over ROOT with the real file system, as the search button
// does, and reports what it found: with --list every line the search appends
// to the results list, in order, as raw bytes (each ended by a newline, or by
// a NUL byte with -0); on standard error every message the search would show,
// and last a line with the counts, the exact total and the wall time.
//
// With --remove N it then deletes the files of the first N lines, one at a
// time through the same file system, as Delete does, and reports on a line
// before the last how long one took (mean and longest) and how many failed.
//
// On POSIX systems --read-ahead chooses when helper threads warm the folders
// ahead of the walk: never, once the walk's reads wait on the disk (the
// program's own choice, and the default), or always; --threads how many.
// The last line then also tells how many folders helpers warmed.
//
// On Windows paths are UTF-16, and the lines are written as the raw UTF-16LE
// code units the results list holds, each ended by a 16-bit newline or NUL:
// exact even for names that are not valid UTF-16 (iconv -f UTF-16LE reads the
// rest).

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
// clang-format off
#include <windows.h>  // before shellapi.h, which needs its types
#include <shellapi.h>
// clang-format on
#include <fcntl.h>
#include <io.h>
#endif

#include "search/find_files.h"
#include "tests/support/search_run.h"
#ifndef _WIN32
#include "search/posix/folder_walk.h"
#include "search/posix/posix_file_system.h"
#endif

namespace {

using dustvane::MaybeFailure;
using dustvane::PathChar;
using dustvane::PathString;

class StreamResults final : public dustvane::ResultsList {
 public:
  StreamResults(bool list, PathChar terminator, size_t keep) : list_(list), terminator_(terminator), keep_(keep) {}
  MaybeFailure AddItem(const PathString& line) override {
    if (list_) {
      std::fwrite(line.data(), sizeof(line[0]), line.size(), stdout);
      std::fwrite(&terminator_, sizeof(terminator_), 1, stdout);
    }
    if (kept.size() < keep_) kept.push_back(line);
    return std::nullopt;
  }
  std::vector<PathString> kept;  // the first lines, for --remove

 private:
  bool list_;
  PathChar terminator_;
  size_t keep_;
};

// Deletes the files of `lines` one by one and reports what one took.
void RemoveEach(dustvane::FileSystem& fileSystem, const std::vector<PathString>& lines) {
  double total = 0;
  double longest = 0;
  int failed = 0;
  for (const PathString& line : lines) {
    const auto start = std::chrono::steady_clock::now();
    if (fileSystem.RemoveFile(line)) ++failed;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    total += seconds;
    longest = seconds > longest ? seconds : longest;
  }
  const int removed = static_cast<int>(lines.size()) - failed;
  const double mean = lines.empty() ? 0.0 : total / static_cast<double>(lines.size());
  std::fprintf(stderr, "removed=%d failed=%d mean-us=%.1f longest-us=%.1f\n", removed, failed, mean * 1e6,
               longest * 1e6);
}

// The user closes every message at once.
class StderrMessages final : public dustvane::MessageDialog {
 public:
  MaybeFailure Show(const std::string& text, const std::string& title) override {
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
    return std::nullopt;
  }
};

int Usage() {
  std::fprintf(stderr,
               "usage: dustvane-walk [--list] [-0] [--pattern P] [--read-ahead off|cold|always] [--threads N] "
               "[--remove N] ROOT\n");
  return 2;
}

// The command line in the platform's path form: wide on Windows, where the
// narrow argv would have lost whatever the code page cannot spell.
std::vector<PathString> Arguments(int argc, char** argv) {
#ifdef _WIN32
  (void)argc;
  (void)argv;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<PathString> args(wide, wide + (wide != nullptr ? count : 0));
  LocalFree(wide);
  // The lines go out as UTF-16 code units: no newline translation.
  _setmode(_fileno(stdout), _O_BINARY);
  return args;
#else
  return std::vector<PathString>(argv, argv + argc);
#endif
}

// What the command line asks for.
struct Options {
  bool list = false;
  PathChar terminator = DV_PATH('\n');
  PathString pattern = DV_PATH("*.tmp");
  PathString root;
  PathString readAhead = DV_PATH("cold");
  unsigned threads = 0;  // the layer's own number
  unsigned removals = 0;
};

// A count from 1 to `most` (999 helpers, 99,999 lines to remove); anything
// else is a usage error, not a crash.
bool ParseCount(const PathString& value, unsigned most, unsigned& count) {
  count = 0;
  for (const auto digit : value) {
    if (digit < '0' || digit > '9' || count > most / 10) return false;
    count = count * 10 + static_cast<unsigned>(digit - '0');
  }
  return count != 0 && count <= most;
}

// The options, or nothing when the command line is not one this takes.
std::optional<Options> ParseOptions(const std::vector<PathString>& args) {
  Options options;
  bool haveRoot = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const PathString& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == DV_PATH("--list")) {
      options.list = true;
    } else if (arg == DV_PATH("-0")) {
      options.terminator = DV_PATH('\0');
    } else if (arg == DV_PATH("--pattern") && hasValue) {
      options.pattern = args[++i];
    } else if (arg == DV_PATH("--read-ahead") && hasValue) {
      options.readAhead = args[++i];
    } else if (arg == DV_PATH("--threads") && hasValue) {
      if (!ParseCount(args[++i], 999, options.threads)) return std::nullopt;
    } else if (arg == DV_PATH("--remove") && hasValue) {
      if (!ParseCount(args[++i], 99999, options.removals)) return std::nullopt;
    } else if (!haveRoot && (arg.empty() || arg[0] != '-' || arg == DV_PATH("-"))) {
      options.root = arg;
      haveRoot = true;
    } else {
      return std::nullopt;
    }
  }
  if (!haveRoot) return std::nullopt;
  return options;
}

// The file system the options ask for; null when they ask for what this
// platform does not have.
std::unique_ptr<dustvane::FileSystem> FileSystemFor(const Options& options) {
#ifdef _WIN32
  if (options.readAhead != DV_PATH("cold") || options.threads != 0) return nullptr;
  return dustvane::MakeNativeFileSystem();
#else
  dustvane::ReadAheadMode mode = dustvane::ReadAheadMode::kWhenCold;
  if (options.readAhead == "off") {
    mode = dustvane::ReadAheadMode::kOff;
  } else if (options.readAhead == "always") {
    mode = dustvane::ReadAheadMode::kAlways;
  } else if (options.readAhead != "cold") {
    return nullptr;
  }
  return dustvane::MakePosixFileSystem(mode, options.threads != 0 ? options.threads : dustvane::kColdHelpers);
#endif
}

// What the read-ahead did, for the last line.
std::string ReadAheadCounts() {
#ifdef _WIN32
  return std::string();
#else
  return " warmed-ahead=" + std::to_string(dustvane::FoldersListedAheadSoFar());
#endif
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<Options> options = ParseOptions(Arguments(argc, argv));
  if (!options) return Usage();
  std::unique_ptr<dustvane::FileSystem> fileSystem = FileSystemFor(*options);
  if (!fileSystem) return Usage();
  StreamResults results(options->list, options->terminator, options->removals);
  StderrMessages messages;

  const auto start = std::chrono::steady_clock::now();
  const dustvane::testing::SearchRun run =
      dustvane::testing::RunSearch(*fileSystem, results, messages, options->root, options->pattern);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::fflush(stdout);

  if (!run.total.ok()) {
    std::fprintf(stderr, "%s\n", dustvane::ErrorMessageText(run.total.failure()).c_str());
    return 1;
  }
  if (options->removals > 0) RemoveEach(*fileSystem, results.kept);
  std::fprintf(stderr, "files=%d folders=%lld bytes=%s seconds=%.6f%s\n", run.files,
               static_cast<long long>(run.folders), dustvane::DecimalDigits(run.total.value()).c_str(), seconds,
               ReadAheadCounts().c_str());
  return 0;
}
