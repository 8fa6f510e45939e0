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
#include "tests/support/search_run.h"

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

// The tree the input builds, and the failures it scripts, in `fs`; whether
// it scripted any failure.
struct Tree {
  std::vector<Node> nodes;
  std::vector<size_t> folders = {0};
  bool anyFailure = false;
};

void AddNode(Tree& tree, FakeFileSystem& fs, uint8_t op, uint8_t a, uint8_t b, uint8_t c) {
  std::vector<Node>& nodes = tree.nodes;
  const size_t parent = tree.folders[a % tree.folders.size()];
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
    tree.folders.push_back(nodes.size());
  } else {
    fs.AddFile(n.path, n.length, n.attributes);
  }
  nodes[parent].children.push_back(nodes.size());
  nodes.push_back(n);
}

void AddFailure(Tree& tree, FakeFileSystem& fs, uint8_t a, uint8_t b, uint8_t c) {
  const std::vector<Node>& nodes = tree.nodes;
  tree.anyFailure = true;
  const Node& target = nodes[1 + b % (nodes.size() - 1)];
  const Node& folder = nodes[tree.folders[c % tree.folders.size()]];
  const Failure failure{5, "Input/output error"};
  switch (a % 4) {
    case 0: fs.FailAttributes(target.path, failure); break;
    case 1: fs.FailLength(target.path, failure); break;
    case 2: fs.FailEnumFirst(folder.path, failure); break;
    default: {
      if (folder.children.empty()) break;
      const PathString after = nodes[folder.children[b % folder.children.size()]].name;
      fs.FailEnumNextAfter(folder.path, after, failure, (c % 3 == 0) ? std::nullopt : std::optional<int>(c % 3));
    }
  }
}

Tree BuildTree(FakeFileSystem& fs, const uint8_t* data, size_t size) {
  Tree tree;
  tree.nodes.push_back({testing::P("/r"), DV_PATH("r"), true, 0, 0, {}});
  fs.AddFolder(tree.nodes[0].path);
  for (size_t at = 0; at + 4 <= size; at += 4) {
    const uint8_t op = data[at] % 8, a = data[at + 1], b = data[at + 2], c = data[at + 3];
    if (op < 7) {
      AddNode(tree, fs, op, a, b, c);
    } else if (tree.nodes.size() > 1) {
      AddFailure(tree, fs, a, b, c);
    }
  }
  return tree;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  FakeFileSystem fs;
  const Tree tree = BuildTree(fs, data, size);

  RecordingResults results;
  RecordingMessages messages;
  const testing::SearchRun run = testing::RunSearch(fs, results, messages, tree.nodes[0].path);
  Check(run.total.ok());

  std::vector<PathString> expected;
  int expectedFolders = 0;
  ByteTotal expectedTotal;
  Expect(tree.nodes, 0, expected, expectedFolders, expectedTotal);

  // The total is the sum of what was listed, and the count is its number.
  ByteTotal listedTotal;
  for (const PathString& line : results.lines) listedTotal += static_cast<uint64_t>(fs.FileLength(line).value());
  Check(run.total.value() == listedTotal);
  Check(static_cast<size_t>(run.files) == results.lines.size());

  // What was listed is what a clean search lists, in the same order, with
  // some left out where failures ended levels early.
  size_t e = 0;
  for (const PathString& line : results.lines) {
    while (e < expected.size() && expected[e] != line) ++e;
    Check(e < expected.size());
    ++e;
  }
  if (!tree.anyFailure) {
    Check(results.lines == expected);
    Check(run.folders == expectedFolders);
    Check(run.total.value() == expectedTotal);
    Check(messages.texts.empty());
  } else {
    Check(run.folders <= expectedFolders);
    Check(messages.texts.size() <= tree.folders.size());
  }
  return 0;
}
