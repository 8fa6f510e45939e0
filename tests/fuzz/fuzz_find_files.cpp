// The search over random trees with random failures, checked against a
// model of what it must list: the matches in depth-first order, nothing
// else, with counts and a total that agree with the lines listed.
//
// Input: a sequence of 4-byte operations that build the tree and script the
// failures.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "search/find_files.h"
#include "search/name_pattern.h"
#include "tests/support/fake_file_system.h"

namespace {

using namespace dustvane;
using dustvane::testing::FakeFileSystem;
using dustvane::testing::RecordingMessages;
using dustvane::testing::RecordingResults;

struct Node {
  PathString path;
  PathString name;
  bool folder;
  Attributes attributes;
  int64_t length;
  std::vector<size_t> children;  // in listing order
};

const char* const kSuffixes[] = {".tmp", ".TMP", ".Tmp", ".tmpl", ".sys", ".SYS", "", ".temp"};

void Check(bool condition) {
  if (!condition) std::abort();
}

// What a search without failures lists below `folder`, in order.
void Expect(const std::vector<Node>& nodes, size_t folder, std::vector<PathString>& lines,
            int& folders, ByteTotal& total) {
  for (size_t child : nodes[folder].children) {
    const Node& n = nodes[child];
    if (!n.folder && MatchesNamePattern(n.name, DV_PATH("*.tmp"))) {
      lines.push_back(n.path);
      total += static_cast<uint64_t>(n.length);
    }
  }
  for (size_t child : nodes[folder].children) {
    const Node& n = nodes[child];
    if (n.folder && (n.attributes & AttrSystem) == 0) {
      ++folders;
      Expect(nodes, child, lines, folders, total);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  FakeFileSystem fs;
  std::vector<Node> nodes;
  nodes.push_back({testing::P("/r"), DV_PATH("r"), true, 0, 0, {}});
  fs.AddFolder(nodes[0].path);
  std::vector<size_t> folders = {0};
  std::vector<size_t> files;
  bool anyFailure = false;

  for (size_t at = 0; at + 4 <= size; at += 4) {
    const uint8_t op = data[at] % 8, a = data[at + 1], b = data[at + 2], c = data[at + 3];
    if (op < 7) {
      const size_t parent = folders[a % folders.size()];
      Node n;
      n.folder = op < 3;
      n.name = PathString((b & 0x80) ? DV_PATH(".") : DV_PATH("")) + DV_PATH("n");
      for (char ch : std::to_string(nodes.size())) n.name += static_cast<PathChar>(ch);
      for (const char* s = kSuffixes[b % 8]; *s != 0; ++s) n.name += static_cast<PathChar>(*s);
      n.path = nodes[parent].path + kSeparator + n.name;
      n.attributes = ((b & 0x80) ? AttrHidden : 0) | ((c & 1) ? AttrReadOnly : 0) | ((c & 2) ? AttrSystem : 0);
      n.length = static_cast<int64_t>(c) << (b % 40);
      if (n.folder) {
        fs.AddFolder(n.path, n.attributes);
        folders.push_back(nodes.size());
      } else {
        fs.AddFile(n.path, n.length, n.attributes);
        files.push_back(nodes.size());
      }
      nodes[parent].children.push_back(nodes.size());
      nodes.push_back(n);
    } else if (nodes.size() > 1) {
      anyFailure = true;
      const Node& target = nodes[1 + b % (nodes.size() - 1)];
      const Failure failure{5, "Input/output error"};
      switch (a % 4) {
        case 0: fs.FailAttributes(target.path, failure); break;
        case 1: fs.FailLength(target.path, failure); break;
        case 2: fs.FailEnumFirst(nodes[folders[c % folders.size()]].path, failure); break;
        default: {
          const Node& folder = nodes[folders[c % folders.size()]];
          if (folder.children.empty()) break;
          const PathString after = nodes[folder.children[b % folder.children.size()]].name;
          fs.FailEnumNextAfter(folder.path, after, failure, (c % 3 == 0) ? std::nullopt : std::optional<int>(c % 3));
        }
      }
    }
  }

  RecordingResults results;
  RecordingMessages messages;
  SearchContext context{fs, results, messages};
  PathString root = nodes[0].path;
  int16_t fileCount = 0;
  int16_t dirCount = 0;
  Result<ByteTotal> total = FindFiles(context, root, DV_PATH("*.tmp"), fileCount, dirCount);
  Check(total.ok());

  std::vector<PathString> expected;
  int expectedFolders = 0;
  ByteTotal expectedTotal;
  Expect(nodes, 0, expected, expectedFolders, expectedTotal);

  // The total is the sum of what was listed, and the count is its number.
  ByteTotal listedTotal;
  for (const PathString& line : results.lines) listedTotal += static_cast<uint64_t>(fs.FileLength(line).value());
  Check(total.value() == listedTotal);
  Check(static_cast<size_t>(fileCount) == results.lines.size());

  // What was listed is what a clean search lists, in the same order, with
  // some left out where failures ended levels early.
  size_t e = 0;
  for (const PathString& line : results.lines) {
    while (e < expected.size() && expected[e] != line) ++e;
    Check(e < expected.size());
    ++e;
  }
  if (!anyFailure) {
    Check(results.lines == expected);
    Check(dirCount == expectedFolders);
    Check(total.value() == expectedTotal);
    Check(messages.texts.empty());
  } else {
    Check(dirCount <= expectedFolders);
    Check(messages.texts.size() <= folders.size());
  }
  return 0;
}
