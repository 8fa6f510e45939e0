#include "tests/win32/real_tree.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "search/win32/wide_text.h"

namespace dustvane::testing {

namespace {

void Check(BOOL ok, const PathString& what) {
  ASSERT_TRUE(ok) << "error " << GetLastError() << " on " << Utf8FromWide(what);
}

bool Exists(const PathString& path) { return GetFileAttributesW(Extended(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

// The first bytes of a small file, as text.
std::string Contents(const PathString& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  char text[64];
  DWORD read = 0;
  const BOOL ok = ReadFile(file, text, sizeof text, &read, nullptr);
  CloseHandle(file);
  return ok ? std::string(text, read) : std::string();
}

}  // namespace

// Wine starts a Unix program without waiting for it, so the command ends by
// writing its status into a file, which is waited for.
int RunOnLinuxSide(const PathString& folder, const std::string& command) {
  const PathString done = folder + L".ran";
  DeleteFileW(done.c_str());
  std::wstring line = L"sh -c \"";
  for (const wchar_t c : WideFromUtf8("(" + command + "); echo $? >.running && mv .running .ran")) {
    if (c == L'"') line += L'\\';
    line += c;
  }
  line += L'"';
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(L"Z:\\bin\\sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                      &process)) {
    ADD_FAILURE() << "no Unix shell at Z:\\bin\\sh: error " << GetLastError();
    return -1;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  for (int waited = 0; waited < 600 && !Exists(done); ++waited) Sleep(20);
  const std::string status = Contents(done);
  DeleteFileW(done.c_str());
  return status.empty() ? -1 : std::atoi(status.c_str());
}

PathString Extended(const PathString& path) { return L"\\\\?\\" + path; }

PathString Prepared(const wchar_t* name) {
  wchar_t prepared[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(name, prepared, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return PathString();
  return PathString(prepared, length) + L"\\";
}

RealTree::RealTree() {
  static unsigned serial = 0;
  root_ = L"C:\\dvtest-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount()) +
          L"-" + std::to_wstring(++serial);
  Check(CreateDirectoryW(root_.c_str(), nullptr), root_);
  root_ += L"\\";
}

RealTree::~RealTree() { RemoveTree(root_.substr(0, root_.size() - 1)); }

PathString RealTree::Folder(const PathString& relative, DWORD attributes) {
  const PathString path = Path(relative);
  Check(CreateDirectoryW(Extended(path).c_str(), nullptr), path);
  if (attributes != 0) Check(SetFileAttributesW(Extended(path).c_str(), attributes), path);
  return path;
}

PathString RealTree::File(const PathString& relative, int64_t length, DWORD attributes) {
  const PathString path = Path(relative);
  HANDLE file = CreateFileW(Extended(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  Check(file != INVALID_HANDLE_VALUE, path);
  if (length > 0) {
    // Setting the end of the file is cheap at any length: the file stays
    // sparse where the file system allows it.
    LARGE_INTEGER end;
    end.QuadPart = length;
    Check(SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file), path);
  }
  CloseHandle(file);
  if (attributes != 0) Check(SetFileAttributesW(Extended(path).c_str(), attributes), path);
  return path;
}

void RemoveTree(const PathString& path) {
  const PathString extended = Extended(path);
  const DWORD bits = GetFileAttributesW(extended.c_str());
  if (bits == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesW(extended.c_str(), FILE_ATTRIBUTE_NORMAL);
  if ((bits & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    DeleteFileW(extended.c_str());
    return;
  }
  if ((bits & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((extended + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const PathString name = found.cFileName;
        if (name != L"." && name != L"..") RemoveTree(path + L"\\" + name);
      } while (FindNextFileW(find, &found));
      FindClose(find);
    }
  }
  RemoveDirectoryW(extended.c_str());
}

}  // namespace dustvane::testing
