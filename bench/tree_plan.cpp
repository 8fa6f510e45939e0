#include "bench/tree_plan.h"

#include <algorithm>
#include <bit>
#include <set>

#include "bench/split_mix.h"

namespace dustvane::bench {

namespace {

constexpr const char* kFolderWords[] = {
    "src",     "docs",   "cache",   "build",  "assets",   "lib",     "include", "photos",
    "backup",  "project", "config", "logs",   "data",     "test",    "vendor",  "music",
    "Downloads", "Desktop", "share", "local", "modules",  "images",  "archive", "reports",
    "invoices", "drafts", "icons",  "fonts",  "scripts",  "thumbnails"};

constexpr const char* kStems[] = {
    "report", "invoice", "photo", "IMG",   "notes",   "main",    "index",  "draft",
    "backup", "setup",   "readme", "data", "chunk",   "thumb",   "module", "session",
    "output", "style",   "config", "Document", "cache", "record", "page",  "frame"};

constexpr const char* kOrdinaryExtensions[] = {
    ".txt", ".log", ".c",   ".h",    ".cpp", ".o",   ".png", ".jpg", ".json", ".xml",
    ".html", ".js", ".py",  ".md",   ".dat", ".bin", ".pdf", ".doc", ".ini",  ".cfg",
    ".so",  ".a",   ".gz",  ".db",   ".mp3", ".csv", ""};

constexpr const char* kMatchExtensions[] = {".tmp", ".TMP", ".Tmp", ".tMp",
                                            ".tmP", ".TmP", ".tMP", ".TMp"};

// Names that look like matches and are not.
constexpr const char* kDecoyExtensions[] = {".tmpl", ".temp", "tmp",   "_tmp", ".tmp~",
                                            ".tmp.bak", ".TEMP", ".tmpx", ".tm", ".mp"};

constexpr int64_t kGiB = int64_t{1} << 30;

// Folders at depth d are weighted d * (maxDepth + 1 - d)^2: few at the top,
// most a third of the way down, a thin tail reaching the deepest level.
int PickDepth(SplitMix& random, int maxDepth) {
  uint64_t total = 0;
  for (int d = 1; d <= maxDepth; ++d) total += uint64_t(d) * (maxDepth + 1 - d) * (maxDepth + 1 - d);
  uint64_t pick = random.Below(total);
  for (int d = 1; d <= maxDepth; ++d) {
    const uint64_t w = uint64_t(d) * (maxDepth + 1 - d) * (maxDepth + 1 - d);
    if (pick < w) return d;
    pick -= w;
  }
  return maxDepth;
}

class Planner {
 public:
  Planner(const TreeProfile& profile) : profile_(profile), random_(profile.seed) {}

  TreePlan Run() {
    if (profile_.flatFolders > 0) return RunFlat();
    PlanFolders();
    NameSpecialFolders();
    byFolder_.assign(plan_.folders.size(), {});
    PlanOddEntries();
    PlanOrdinaryEntries();
    return Finish();
  }

 private:
  void PlanFolders() {
    plan_.folders.push_back({-1, 0, ""});
    byDepth_.assign(profile_.maxDepth + 1, {});
    byDepth_[0].push_back(0);
    childCount_.assign(1, 0);
    for (int i = 0; i < profile_.folders; ++i) {
      int depth = PickDepth(random_, profile_.maxDepth);
      while (byDepth_[depth - 1].empty()) --depth;
      const std::vector<int>& parents = byDepth_[depth - 1];
      const int parent = parents[random_.Below(parents.size())];
      const char* word = random_.Pick(kFolderWords);
      std::string name = random_.Chance(300) ? "." : "";
      name += word;
      if (childCount_[parent] > 0) name += std::to_string(childCount_[parent]);
      ++childCount_[parent];
      AddFolder(parent, depth, std::move(name));
    }
  }

  // Flat folders side by side, filled with ordinary entries alone.
  TreePlan RunFlat() {
    plan_.folders.push_back({-1, 0, ""});
    for (int i = 0; i < profile_.flatFolders; ++i) plan_.folders.push_back({0, 1, "flat" + std::to_string(i)});
    byFolder_.assign(plan_.folders.size(), {});
    for (int folder = 1; folder <= profile_.flatFolders; ++folder) {
      for (int64_t k = 0; k < profile_.flatFiles; ++k) AddOrdinaryEntry(folder, k);
    }
    return Finish();
  }

  // The entries grouped by folder, in folder order.
  TreePlan Finish() {
    for (auto& entries : byFolder_) {
      for (auto& entry : entries) plan_.entries.push_back(std::move(entry));
    }
    return std::move(plan_);
  }

  void AddFolder(int parent, int depth, std::string name) {
    byDepth_[depth].push_back(static_cast<int>(plan_.folders.size()));
    plan_.folders.push_back({parent, depth, std::move(name)});
    childCount_.push_back(0);
  }

  // Renames a few folders, none twice: their names never collide with the
  // ordinary ones, which hold no "." inside, no "-" and no byte above 127.
  int RenameFolderAt(int depth, std::string name) {
    depth = std::min(depth, profile_.maxDepth);
    while (depth > 1 && byDepth_[depth].empty()) --depth;
    const std::vector<int>& candidates = byDepth_[depth];
    int index = candidates[random_.Below(candidates.size())];
    while (renamed_.count(index) != 0) index = candidates[random_.Below(candidates.size())];
    renamed_.insert(index);
    plan_.folders[index].name = std::move(name);
    return index;
  }

  void NameSpecialFolders() {
    flatFolder_ = RenameFolderAt(2, "mail-archive");
    RenameFolderAt(1, "old.tmp");
    RenameFolderAt(4, "old.tmp");
    RenameFolderAt(3, "Cache.TMP");
    RenameFolderAt(2, ".tmp");
    RenameFolderAt(3, "r\xe9sum\xe9s");   // Latin-1, not UTF-8
  }

  int RandomFolder() { return static_cast<int>(random_.Below(plan_.folders.size())); }

  int DeepestFolder() const {
    for (int d = profile_.maxDepth; d > 0; --d) {
      if (!byDepth_[d].empty()) return byDepth_[d].front();
    }
    return 0;
  }

  void AddFile(int folder, std::string name, int64_t size, int64_t written) {
    byFolder_[folder].push_back({folder, std::move(name), EntryType::kFile, size, written, "", false});
    ++planned_;
  }
  void AddLink(int folder, std::string name, std::string target) {
    byFolder_[folder].push_back({folder, std::move(name), EntryType::kLink, 0, 0, std::move(target), false});
    ++planned_;
  }
  void AddFifo(int folder, std::string name) {
    byFolder_[folder].push_back({folder, std::move(name), EntryType::kFifo, 0, 0, "", false});
    ++planned_;
  }

  // Entries placed on purpose: names that are not UTF-8, a link that loops
  // back to the top, a matching link to a folder, FIFOs, and a sparse match
  // whose length does not fit 32 bits.
  void PlanOddEntries() {
    AddFile(RandomFolder(), "caf\xe9.tmp", 7, 7);
    AddFile(RandomFolder(), "na\xefve\x80.TMP", 0, 0);
    AddFile(RandomFolder(), "\xff\xfe-odd.txt", 3, 3);
    AddFile(RandomFolder(), "bad\xc3(.log", 0, 0);
    const int deepest = DeepestFolder();
    std::string up;
    for (int d = 0; d < plan_.folders[deepest].depth; ++d) up += "../";
    AddLink(deepest, "loop-to-top", up);
    int linkHome = RandomFolder();
    if (linkHome == 0) linkHome = 1;
    AddLink(linkHome, "up.TMP", "..");
    AddLink(RandomFolder(), "dangling-link.tmp", "gone/nowhere.txt");
    AddFifo(RandomFolder(), "pipe.tmp");
    AddFifo(RandomFolder(), "events-fifo");
    AddFile(RandomFolder(), "disk-image.TMP", 5 * kGiB + 4321, 0);
  }

  // The flat folder gets its share; the rest is spread with a heavy tail:
  // each folder draws a weight of 1..4 times 2^g, g geometric, so that most
  // folders hold a handful of entries and a few hold a thousand or more.
  void PlanOrdinaryEntries() {
    const int64_t rest = profile_.files - planned_ - profile_.flatFiles;
    std::vector<int64_t> weight(plan_.folders.size(), 0);
    int64_t totalWeight = 0;
    for (size_t i = 0; i < weight.size(); ++i) {
      if (static_cast<int>(i) == flatFolder_) continue;
      const int g = std::countr_zero(random_.Next() | (uint64_t{1} << 10));
      weight[i] = int64_t(1 + random_.Below(4)) << g;
      totalWeight += weight[i];
    }
    std::vector<int64_t> count(weight.size(), 0);
    int64_t given = 0;
    for (size_t i = 0; i < weight.size(); ++i) {
      count[i] = weight[i] * rest / totalWeight;
      given += count[i];
    }
    while (given < rest) {
      const int i = RandomFolder();
      if (i == flatFolder_) continue;
      ++count[i];
      ++given;
    }
    count[flatFolder_] = profile_.flatFiles;
    for (size_t i = 0; i < count.size(); ++i) {
      for (int64_t k = 0; k < count[i]; ++k) AddOrdinaryEntry(static_cast<int>(i), k);
    }
  }

  void AddOrdinaryEntry(int folder, int64_t index) {
    const bool isLink = random_.Chance(50);
    const uint64_t kind = random_.Below(10000);
    const char* extension = kind < 100   ? random_.Pick(kMatchExtensions)
                            : kind < 200 ? random_.Pick(kDecoyExtensions)
                                         : random_.Pick(kOrdinaryExtensions);
    if (isLink && random_.Chance(2000)) extension = random_.Pick(kMatchExtensions);
    const char* stem = random_.Pick(kStems);
    const bool officeStyle = kind < 100 && random_.Chance(1000);
    std::string name = random_.Chance(500) ? "." : "";
    if (officeStyle) name += "~$";
    name += stem;
    name += '_';
    name += std::to_string(index);
    name += extension;

    if (isLink) {
      AddLink(folder, std::move(name), LinkTarget(folder));
      return;
    }
    int64_t size = 0;
    int64_t written = 0;
    const uint64_t sizeKind = random_.Below(100);
    if (sizeKind >= 95) {
      size = (int64_t{4096} << random_.Below(13)) + int64_t(random_.Below(4096));
      written = random_.Chance(5000) ? int64_t(1 + random_.Below(64)) : 0;
    } else if (sizeKind >= 70) {
      size = written = int64_t(1 + random_.Below(200));
    }
    AddFile(folder, std::move(name), size, written);
    byFolder_[folder].back().readOnly = random_.Chance(200);
  }

  // A sibling file, the parent folder, a sibling folder, or nothing at all.
  std::string LinkTarget(int folder) {
    const std::vector<PlannedEntry>& siblings = byFolder_[folder];
    switch (random_.Below(4)) {
      case 0:
        if (!siblings.empty()) return siblings[random_.Below(siblings.size())].name;
        return "missing.txt";
      case 1:
        return "..";
      case 2:
        return folder == 0 ? "." : "../" + plan_.folders[folder].name;
      default:
        return "gone/nowhere.txt";
    }
  }

  const TreeProfile& profile_;
  SplitMix random_;
  TreePlan plan_;
  std::vector<std::vector<int>> byDepth_;
  std::vector<int> childCount_;
  std::set<int> renamed_;
  int flatFolder_ = 0;
  std::vector<std::vector<PlannedEntry>> byFolder_;
  int64_t planned_ = 0;
};

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

TreePlan PlanTree(const TreeProfile& profile) { return Planner(profile).Run(); }

bool IsMatchName(std::string_view name) {
  constexpr std::string_view kSuffix = ".tmp";
  if (name.size() < kSuffix.size()) return false;
  const std::string_view tail = name.substr(name.size() - kSuffix.size());
  return std::equal(tail.begin(), tail.end(), kSuffix.begin(),
                    [](char a, char b) { return LowerAscii(a) == b; });
}

int64_t EntryLength(const PlannedEntry& entry) {
  switch (entry.type) {
    case EntryType::kFile: return entry.size;
    case EntryType::kLink: return static_cast<int64_t>(entry.target.size());
    case EntryType::kFifo: return 0;
  }
  return 0;
}

TreeSummary Summarize(const TreePlan& plan) {
  TreeSummary summary;
  std::vector<int64_t> width(plan.folders.size(), 0);
  for (const PlannedFolder& folder : plan.folders) {
    if (folder.parent < 0) continue;
    ++summary.folders;
    ++width[folder.parent];
    summary.maxDepth = std::max<int64_t>(summary.maxDepth, folder.depth);
    if (folder.name[0] == '.') ++summary.hidden;
  }
  for (const PlannedEntry& entry : plan.entries) {
    ++summary.files;
    ++width[entry.folder];
    if (entry.type == EntryType::kLink) ++summary.links;
    if (entry.type == EntryType::kFifo) ++summary.fifos;
    if (entry.name[0] == '.') ++summary.hidden;
    if (entry.type == EntryType::kFile) summary.allBytes += entry.size;
    if (IsMatchName(entry.name)) {
      ++summary.matches;
      summary.matchBytes += EntryLength(entry);
    }
  }
  summary.widest = *std::max_element(width.begin(), width.end());
  return summary;
}

}  // namespace dustvane::bench
