#pragma once

#include <functional>
#include <string>
#include <vector>

#include "search/file_system.h"
#include "search/find_files.h"
#include "search/path_string.h"

namespace dustvane {

// What the two windows are given from outside: the process's one file system
// (one enumeration cursor), the message box, the roots they search, the
// user's thousands separator and how the program ends. The program passes
// the real ones; tests pass their own.
struct AppContext {
  FileSystem& fileSystem;
  MessageDialog& messages;
  PathString localDiskRoot;             // the local-disk scope
  std::vector<PathString> drives;       // what Drive1 offers, as root folders
  PathString homeFolder;                // Drive1 starts on the drive holding it
  std::function<void()> endProgram;     // cmdExit and the main window's close control
  std::string thousandsSeparator;       // UTF-8, from the user's locale
};

}  // namespace dustvane
